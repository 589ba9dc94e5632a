#pragma once
// A SerialPort whose other end is a SimModule. On a VirtualClock a wait moves virtual time on
// to the module's next byte (or the deadline), so a 10 s time-out costs nothing. On the real
// clock (which must tell steady-clock time, as SystemClock does) a wait sleeps on a condition
// variable until that moment, so the module's bytes arrive with the wire time of 115200 baud.
#include "common/clock.hpp"
#include "link/serial_port.hpp"
#include "sim/sim_module.hpp"

#include <condition_variable>
#include <mutex>
#include <vector>

namespace qv {

// Failures of the port itself, for the "port error" paths.
struct SimPortFaults {
    bool openFails = false;
    bool rtsFails = false;
    int writeFailsAfter = -1; // the write calls after this many succeed... then fail
};

class SimPort final : public SerialPort {
  public:
    struct RealTime {};
    SimPort(SimModule& module, VirtualClock& clock);
    SimPort(SimModule& module, Clock& clock, RealTime);

    void setFaults(SimPortFaults f) { faults_ = f; }

    void open(const std::string& name) override;
    void close() noexcept override;
    bool isOpen() const override;
    std::string name() const override;
    void setBaudRate(int baud) override;
    void purge(bool receive, bool transmit) override;
    void setRts(bool on) override;
    using SerialPort::write;
    std::size_t write(std::span<const std::uint8_t> bytes) override;
    std::size_t readAvailable(std::span<std::uint8_t> out) override;
    bool waitReadable(Clock::Duration timeout) override;

    // RTS as last driven (for tests of the reset pulse).
    bool rts() const;
    // Every level RTS was driven to (opening drives it off) since the port was built, with the time
    // (for tests of the reset pulse); the oldest entries go beyond kRtsHistoryLimit.
    struct RtsChange {
        Clock::TimePoint at;
        bool on;
    };
    static constexpr std::size_t kRtsHistoryLimit = 1000;
    std::vector<RtsChange> rtsHistory() const;

  private:
    void requireOpen() const;
    void noteRts(bool on); // with mutex_ held

    SimModule& module_;
    Clock& clock_;
    VirtualClock* virtual_ = nullptr;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    SimPortFaults faults_;
    bool open_ = false;
    bool rts_ = false;
    std::vector<RtsChange> rtsHistory_;
    int writes_ = 0;
    std::string name_;
};

} // namespace qv
