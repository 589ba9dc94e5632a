#pragma once
// Every reading of time in the core goes through a Clock, so tests can run on a virtual clock
// on which a 10-second time-out costs no real time.
#include <chrono>
#include <mutex>

namespace qv {

struct LocalDateTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    auto operator<=>(const LocalDateTime&) const = default;
};

class Clock {
  public:
    using Duration = std::chrono::nanoseconds;
    using TimePoint = std::chrono::time_point<std::chrono::steady_clock, Duration>;

    virtual ~Clock() = default;
    // Monotonic time, for time-outs and delays.
    virtual TimePoint now() const = 0;
    // Blocks the caller (or, on a virtual clock, moves time on) for the given span.
    virtual void sleepFor(Duration d) = 0;
    // Local wall-clock date and time, for time stamps in the log, the image and the files.
    virtual LocalDateTime localTime() const = 0;
};

// The real clock: steady time, real sleeps, the system's local time.
class SystemClock final : public Clock {
  public:
    TimePoint now() const override;
    void sleepFor(Duration d) override;
    LocalDateTime localTime() const override;
};

// A clock that only moves when told to: sleeping advances it at once. Its local time is a
// fixed start plus the time that has passed. Safe to share between threads.
class VirtualClock final : public Clock {
  public:
    explicit VirtualClock(LocalDateTime start = {2024, 1, 1, 12, 0, 0, 0});
    TimePoint now() const override;
    void sleepFor(Duration d) override;
    LocalDateTime localTime() const override;
    void advance(Duration d);
    void advanceTo(TimePoint t); // never moves backwards

  private:
    mutable std::mutex mutex_;
    TimePoint now_{};
    LocalDateTime start_;
};

// Adds whole seconds to a local date and time (civil calendar, no time zones).
LocalDateTime addSeconds(const LocalDateTime& t, long long seconds);

} // namespace qv
