// Windows: the ports of the Win32 communications API.
#include "platform/system_port.hpp"

#include "platform/win/win_serial_port.hpp"

namespace qv {

std::unique_ptr<SerialPort> makeSystemSerialPort() {
    return std::make_unique<WinSerialPort>();
}

std::vector<std::string> listSystemPortNames() {
    return listWinPortNames();
}

} // namespace qv
