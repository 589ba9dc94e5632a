#pragma once
// The echo round trip of a session: the time from handing a byte to the port until its answer
// is read. Lock-step transfers pay it for every byte, so an adapter that holds received bytes
// (an FTDI chip's 16 ms latency timer) makes a 3-second write last minutes. The session feeds
// the meter; latencyHint decides from its median whether to tell the technician, and how.
#include "common/clock.hpp"
#include "link/adapter.hpp"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace qv {

class RoundTripMeter {
  public:
    // Samples the median is taken over; later ones are not kept.
    static constexpr std::size_t kSamples = 32;
    // Fewer than this are too few to judge a line by (an identification alone is one).
    static constexpr std::size_t kMinSamples = 8;

    void add(Clock::Duration d);
    void clear() { samples_.clear(); }
    std::size_t count() const { return samples_.size(); }
    bool full() const { return samples_.size() >= kSamples; }
    // Nothing before the first sample.
    std::optional<Clock::Duration> median() const;

  private:
    std::vector<Clock::Duration> samples_;
};

// A round trip above this is the adapter's doing, not the line's: one byte out and one back
// take 0.2 ms at 115200 baud, and a module answers within a millisecond or two.
inline constexpr auto kSlowRoundTrip = std::chrono::milliseconds(4);
// What a byte and its echo need on the wire (2 x 10 bits at 115200 baud).
inline constexpr auto kLineRoundTrip = std::chrono::microseconds(174);

bool roundTripIsSlow(Clock::Duration median);

// The time a lock-step transfer of this many bytes takes at this round trip:
// "1 min 22 s", "3 s", "0.5 s".
std::string transferTimeText(Clock::Duration roundTrip, long long bytes);
// "16.2 ms"
std::string millisecondsText(Clock::Duration d);

struct LatencyHint {
    std::vector<std::string> lines; // Polish, shown after the session's own lines
    // The fix needs an administrator's step that the window may start (Windows).
    bool offersElevatedFix = false;
    std::string port;
};

// The hint for this median and adapter; nothing when the round trip is fine.
std::optional<LatencyHint> latencyHint(Clock::Duration median, const AdapterDescription& adapter);

} // namespace qv
