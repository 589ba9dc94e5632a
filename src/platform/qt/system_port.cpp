// Linux and macOS: the ports of Qt Serial Port.
#include "platform/system_port.hpp"

#include "qtport/qt_serial_port.hpp"

namespace qv {

std::unique_ptr<SerialPort> makeSystemSerialPort() {
    return makeQtSerialPort();
}

std::vector<std::string> listSystemPortNames() {
    return listPortNames();
}

} // namespace qv
