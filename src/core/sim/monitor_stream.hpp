#pragma once
// What a running simulated module sends on its serial line once its application has started:
// the reset cause, the modem's "+CPIN: READY", "+CREG" and "+CCLK" lines, a status line every
// second with inputs that change now and then, and an event line for every input change.
// The stream depends only on the options and the elapsed time, so a test can replay it.
#include "common/clock.hpp"
#include "sim/application_stream.hpp"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace qv::sim {

class MonitorStream {
  public:
    struct Options {
        LocalDateTime moduleTime{2024, 5, 17, 12, 34, 56, 0}; // the module's clock at start
        std::uint8_t resetCause = 0xF0;                       // "Podłączenie zasilania"
        std::uint32_t seed = 1;
        int inputChangeSeconds = 23; // an input changes (and an event is recorded) this often
        int clockReportSeconds = 60; // "+CCLK" repeated this often
        int eventPosition = 0;       // next slot of the event ring at start
        // The mains fail at this second (0: never): AC reads 0 V, the AC input goes into
        // alarm and the battery voltage falls 0.1 V every 10 s down to 10.5 V.
        int mainsLossSecond = 0;
        // Input "We 2" goes into alarm at this second and back 60 s later (0: never).
        int inputAlarmSecond = 0;
    };

    MonitorStream() : MonitorStream(Options{}) {}
    explicit MonitorStream(Options options);

    // The bytes sent since the previous call, up to the given time after the application
    // started. A time earlier than the previous one gives nothing.
    std::string advanceTo(std::chrono::milliseconds elapsed);

    // The event buffer position the status lines report (next slot of the ring).
    int eventPosition() const { return events_; }
    // The module's clock is set: it reads t at the given time after the start.
    void setModuleTime(const LocalDateTime& t, std::chrono::milliseconds at);
    // The time of the next line after the given time.
    static std::chrono::milliseconds nextEmission(std::chrono::milliseconds after);

  private:
    std::string statusLine(long long second);
    std::string eventLine(long long second, int code);
    std::uint32_t random();

    Options options_;
    long long doneMs_ = -1; // everything at or before this time has been sent
    std::uint32_t rng_;
    std::uint16_t inputs_ = 0x7FFF; // bit set: no alarm
    std::uint8_t outputs_ = 0;
    int events_ = 0;
    int signal_ = 18;
};

// The simulated module's application stream: a MonitorStream started afresh at every start of
// the application. The first start reports power-up as reset cause, later ones an external
// reset. A clock command ("AT+CCLK=...") sets the module's clock.
class MonitorApplicationStream final : public ApplicationStream {
  public:
    explicit MonitorApplicationStream(MonitorStream::Options options = {});
    void start(const SimMemory& memory) override;
    std::string emitUntil(Clock::Duration sinceStart) override;
    std::optional<Clock::Duration> nextEmission(Clock::Duration sinceStart) const override;
    void received(std::uint8_t byte, Clock::Duration sinceStart) override;

  private:
    MonitorStream::Options options_;
    std::optional<MonitorStream> stream_;
    int starts_ = 0;
    std::string line_; // bytes from the program since its last CR
};

// The stream of a module that powers up; with wrongPin it stops on a wrong SIM PIN each time
// its application starts (reset cause 03).
std::shared_ptr<ApplicationStream> makeMonitorApplicationStream(bool wrongPin = false);
std::shared_ptr<ApplicationStream> makeMonitorApplicationStream(MonitorStream::Options options);

} // namespace qv::sim
