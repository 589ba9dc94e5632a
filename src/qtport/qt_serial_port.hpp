#pragma once
// SerialPort over Qt6::SerialPort: 115200 8N1, no flow control, DTR and RTS driven off right
// after opening (Linux and macOS raise both on open, and RTS is the module's reset line), RTS
// then driven only by setRts. On Linux the driver is asked for low latency, without which an
// FTDI adapter holds every echo for up to 16 ms.
//
// The Qt object is created by open(), in the thread that opens the port; use the port from
// that thread only (waits are blocking and need no event loop).
#include "link/serial_port.hpp"

#include <memory>
#include <string>
#include <vector>

namespace qv {

std::unique_ptr<SerialPort> makeQtSerialPort();

// The serial ports present on the machine, sorted as text ("COM10" before "COM2"). On Linux
// and macOS these are device paths (/dev/ttyUSB0); pseudo-terminals are not listed but can be
// opened by name.
std::vector<std::string> listPortNames();

} // namespace qv
