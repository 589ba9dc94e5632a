#pragma once
// The monitor's tool-bar commands: restart of the module through the reset line (RTS) and the
// clock synchronisation, which goes through the AT terminal's send operation.
#include "common/clock.hpp"
#include "link/at_terminal.hpp"
#include "link/serial_port.hpp"

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

class MonitorModel;

inline constexpr std::chrono::milliseconds kResetPulse{500};
inline constexpr std::string_view kClockSentMessage =
    "Komenda zostala wysłana, sprawdź poprawność RTC na dolnym pasku okna.";
inline constexpr std::string_view kResetsCaption = "Historia resetów urządzenia";

// RTS levels of the reset line: released is RTS on when reverse_reset is set, off otherwise.
constexpr bool resetLineReleasedRts(bool reverseReset) {
    return reverseReset;
}
constexpr bool resetLineAssertedRts(bool reverseReset) {
    return !reverseReset;
}

// "AT+CCLK=\"YY/MM/DD,hh:mm:ss+00\"": the module's clock set to a local date and time.
std::string clockCommandText(const LocalDateTime& t);

// The terminal commands of "Synchronizuj czas", in the order they are sent: the clock command,
// then "AT+0".
std::vector<std::string> clockSyncCommands(const LocalDateTime& t);

// "Restart urządzenia": display reset, byte counter to 0, reset line asserted for 500 ms on the
// clock, then released. setRts sets the port's RTS line.
void restartModule(MonitorModel& model, Clock& clock, bool reverseReset,
                   const std::function<void(bool rts)>& setRts);

// Restart on the monitor's port.
void restartModule(MonitorModel& model, SerialPort& port, Clock& clock, bool reverseReset);

// "Synchronizuj czas": the clock command, then "AT+0", each through the terminal's send
// operation ("AT+1", 500 ms, the command). The module's answer is not awaited. Port failures
// throw PortError.
void synchronizeClock(SerialPort& port, Clock& clock, const LocalDateTime& now,
                      const TerminalNote& note = {});

} // namespace qv
