#include "monitor/monitor_commands.hpp"

#include "common/text_format.hpp"
#include "monitor/monitor_model.hpp"

namespace qv {

std::string clockCommandText(const LocalDateTime& t) {
    // The date parts are always separated by "/", whatever the system's date separator.
    const std::string stamp = zeroPadded(t.year % 100, 2) + "/" + zeroPadded(t.month, 2) + "/" +
                              zeroPadded(t.day, 2) + "," + zeroPadded(t.hour, 2) + kTimeSeparator +
                              zeroPadded(t.minute, 2) + kTimeSeparator + zeroPadded(t.second, 2);
    return "AT+CCLK=\"" + stamp + "+00\"";
}

std::vector<std::string> clockSyncCommands(const LocalDateTime& t) {
    return {clockCommandText(t), "AT+0"};
}

void restartModule(MonitorModel& model, Clock& clock, bool reverseReset,
                   const std::function<void(bool rts)>& setRts) {
    model.displayReset();
    model.clearReceivedCount();
    if (setRts) setRts(resetLineAssertedRts(reverseReset));
    clock.sleepFor(kResetPulse);
    if (setRts) setRts(resetLineReleasedRts(reverseReset));
}

void restartModule(MonitorModel& model, SerialPort& port, Clock& clock, bool reverseReset) {
    restartModule(model, clock, reverseReset, [&port](bool rts) { port.setRts(rts); });
}

void synchronizeClock(SerialPort& port, Clock& clock, const LocalDateTime& now,
                      const TerminalNote& note) {
    for (const auto& command : clockSyncCommands(now))
        sendAtCommand(port, clock, command, note);
}

} // namespace qv
