#include "link/at_terminal.hpp"

#include "common/cp1250.hpp"

namespace qv {

namespace {
constexpr auto kAtPause = std::chrono::milliseconds(500);

void introduce(SerialPort& port, Clock& clock, const TerminalNote& note) {
    port.write(std::string("AT+1\r\n"));
    clock.sleepFor(kAtPause);
    if (note) note(kTerminalMarker);
}
} // namespace

bool sendAtCommand(SerialPort& port, Clock& clock, const std::string& command,
                   const TerminalNote& note) {
    if (command.empty()) return false;
    introduce(port, clock, note);
    port.write(toCp1250(command) + "\r\n");
    return true;
}

bool sendSmsBody(SerialPort& port, Clock& clock, const std::string& commandLine,
                 const std::string& body, const TerminalNote& note) {
    if (commandLine.empty()) return false;
    introduce(port, clock, note);
    port.write(toCp1250(body) + "\x1A");
    clock.sleepFor(kAtPause);
    port.write(std::string("AT+0\r\n"));
    clock.sleepFor(kAtPause);
    return true;
}

} // namespace qv
