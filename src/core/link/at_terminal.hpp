#pragma once
// The terminal's sends to a running module: AT command lines and SMS bodies. The module takes
// a command only after the line "AT+1", sent 500 ms before it.
#include "common/clock.hpp"
#include "link/serial_port.hpp"

#include <functional>
#include <string>

namespace qv {

inline constexpr char kTerminalMarker[] = "========== COMMAND FROM PC ==========";

// Called between the sends with the marker line, for the terminal's log.
using TerminalNote = std::function<void(const std::string&)>;

// "Wyślij": nothing when the command is empty. Otherwise "AT+1\r\n", 500 ms, the marker, then
// the command (UTF-8, sent in Windows-1250) followed by CR LF. Returns false when nothing was
// sent. Port failures throw PortError.
bool sendAtCommand(SerialPort& port, Clock& clock, const std::string& command,
                   const TerminalNote& note = {});

// "SMS body": nothing when the command line is empty (the body is sent even when empty).
// Otherwise "AT+1\r\n", 500 ms, the marker, the body followed by 0x1A (Ctrl+Z), 500 ms,
// "AT+0\r\n", 500 ms.
bool sendSmsBody(SerialPort& port, Clock& clock, const std::string& commandLine,
                 const std::string& body, const TerminalNote& note = {});

} // namespace qv
