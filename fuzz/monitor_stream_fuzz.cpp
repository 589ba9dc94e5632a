// The monitor's byte stream from a running module: any bytes, in one piece or in many, with
// the one-second timer running in between. However the bytes are cut, the lines, events and
// displayed values come out the same.
#include "common/clock.hpp"
#include "fuzz_support.hpp"
#include "monitor/monitor_model.hpp"

using namespace qv;

namespace {

MonitorModel::Options smallOptions() {
    MonitorModel::Options o;
    o.decimalSeparator = ',';
    o.byteLogCapacity = 64;
    o.lineLogLimit = 50;
    o.listLimit = 20; // small lists, so their oldest entries go often
    return o;
}

bool sameState(const MonitorModel& a, const MonitorModel& b) {
    for (std::size_t v = 0; v < kMonitorValueCount; ++v)
        if (a.value(static_cast<MonitorValue>(v)) != b.value(static_cast<MonitorValue>(v)))
            return false;
    for (int i = 0; i < kMonitorInputs; ++i) {
        const auto& x = a.inputs()[static_cast<std::size_t>(i)];
        const auto& y = b.inputs()[static_cast<std::size_t>(i)];
        if (x.light != y.light || x.tooltip != y.tooltip || x.panel != y.panel || x.lock != y.lock)
            return false;
    }
    return a.events() == b.events() && a.resetsHistory() == b.resetsHistory() &&
           a.lineLog() == b.lineLog() && a.tagTable() == b.tagTable() &&
           a.completedLines() == b.completedLines() && a.receivedCount() == b.receivedCount() &&
           a.byteLog() == b.byteLog() && a.signalGauge().value == b.signalGauge().value &&
           a.historyUsage().value == b.historyUsage().value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static VirtualClock clock;
    const std::span<const std::uint8_t> bytes(data, size);

    MonitorModel whole(clock, smallOptions());
    whole.receive(bytes);

    // The same bytes in pieces of changing sizes.
    MonitorModel pieces(clock, smallOptions());
    static constexpr std::size_t kSizes[] = {1, 7, 2, 64, 1, 3, 250};
    std::size_t k = 0;
    for (auto rest = bytes; !rest.empty(); ++k) {
        const std::size_t n = std::min(rest.size(), kSizes[k % std::size(kSizes)]);
        pieces.receive(rest.first(n));
        rest = rest.subspan(n);
    }
    if (!sameState(whole, pieces)) fuzz::fail("the state depends on how the bytes were cut");

    // With the timer, the commands and the window's calls in between.
    MonitorModel live(clock, MonitorModel::Options{});
    long long lines = 0;
    live.setLineListener([&](const std::string&, bool) { ++lines; });
    live.setByteListener([](std::span<const std::uint8_t>) {});
    live.displayReset();
    live.shown();
    k = 0;
    for (auto rest = bytes; !rest.empty(); ++k) {
        const std::size_t n = std::min(rest.size(), kSizes[(k + 3) % std::size(kSizes)] * 3);
        live.receive(rest.first(n));
        rest = rest.subspan(n);
        if (k % 4 == 0) {
            for (int t = 0; t < 121; ++t)
                live.tick();
        }
        for (const auto& e : live.takeEffects())
            if (e.kind == MonitorEffectKind::SilenceMessage) live.silenceMessageDismissed();
        if (k % 9 == 5) live.noteLine("> AT");
        if (k % 13 == 7) live.clearReceivedCount();
        (void)live.statusBarText();
    }
    (void)live.byteLog();
    return 0;
}
