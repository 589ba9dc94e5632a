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

// Failures of the port itself, for the "port error" paths. Bytes are counted from 1 in each
// opening of the port; once a byte has failed, every later byte that way fails too.
struct SimPortFaults {
    bool openFails = false;   // opening fails (a missing device)
    bool rtsFails = false;    // every change of RTS fails
    int writeFailsAfter = -1; // the write calls after this many succeed fail
    int writeFailsAtByte = 0; // writing byte N fails (the bytes before it go out)
    int readFailsAtByte = 0;  // reading byte N fails
    // The adapter is unplugged as byte N is written: that call and every later one fails, and
    // the port cannot be opened again.
    int vanishesAtByte = 0;
    // Line events reported each time RTS goes from on to off (the module let out of reset):
    // a break (a module whose transmit line is low while held in reset) and a receive buffer
    // 80 % full.
    bool breakOnRelease = false;
    bool rx80FullOnRelease = false;
};

class SimPort final : public SerialPort {
  public:
    struct RealTime {};
    SimPort(SimModule& module, VirtualClock& clock);
    SimPort(SimModule& module, Clock& clock, RealTime);

    // Also brings a vanished port back.
    void setFaults(SimPortFaults f);

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
    void setReadBufferSize(std::size_t bytes) override;
    PortLineEvents takeLineEvents() noexcept override;

    // Line events for the next takeLineEvents, as the port layer would report them.
    void raiseLineEvents(PortLineEvents events);

    // RTS as last driven (for tests of the reset pulse).
    bool rts() const;
    // The read buffer size last asked for (0: never asked). The module's bytes are not bounded
    // by it: a simulated line never outruns its reader.
    std::size_t readBufferSize() const;
    // Bytes handed to the program since the port was opened.
    std::size_t bytesRead() const;
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
    void failWhenVanished() const;
    void noteRts(bool on); // with mutex_ held

    SimModule& module_;
    Clock& clock_;
    VirtualClock* virtual_ = nullptr;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    SimPortFaults faults_;
    bool open_ = false;
    bool rts_ = false;
    bool vanished_ = false;
    PortLineEvents lineEvents_;
    std::size_t readBufferSize_ = 0;
    std::vector<RtsChange> rtsHistory_;
    int writes_ = 0;
    std::size_t bytesWritten_ = 0;
    std::size_t bytesRead_ = 0;
    std::string name_;
};

} // namespace qv
