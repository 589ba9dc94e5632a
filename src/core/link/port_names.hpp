#pragma once
// The port the program uses when QVPROG2.INI names none.
namespace qv {

#ifdef _WIN32
inline constexpr const char* kDefaultPortName = "COM1";
#else
inline constexpr const char* kDefaultPortName = "/dev/ttyUSB0";
#endif

} // namespace qv
