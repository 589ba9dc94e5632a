#pragma once
// What a serial driver tells about a port's receive side by its file descriptor, beyond what
// QSerialPort reports. Where the system or the driver cannot tell (a pseudo-terminal keeps no
// line counters) the answer is nothing.
#include <optional>

namespace qv {

// Bytes the driver has received and not yet handed over (FIONREAD).
std::optional<long long> driverQueuedBytes(int fd);
// Break conditions the driver has counted on the line (Linux: TIOCGICOUNT).
std::optional<long long> driverBreakCount(int fd);

} // namespace qv
