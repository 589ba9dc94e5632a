// The monitor's trends over a whole 8-hour session of one-second samples (28800 status lines
// of the simulated module, with the mains failing and an input alarm): drawing every series
// of the whole session into an image of the chart's size in the monitor window, as one repaint
// does, with the span statistics; and the memory the session's samples take.
//
// BM_SecondOf...: one second of a live session (a new sample, 25 repaints at the monitor's
// 40 ms rate); its CPU time over one second is the share of a core the trends take.
// store_MB: the 8-hour session's samples and marks.
#include "gui/monitor/trend_view.hpp"
#include "monitor/monitor_replay.hpp"
#include "sim/monitor_stream.hpp"

#include <QComboBox>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

namespace {

using namespace qv;
using namespace qv::gui;

constexpr int kSessionSeconds = 8 * 3600;

const TrendStore& session() {
    static const TrendStore store = [] {
        VirtualClock clock;
        MonitorModel model(clock);
        TrendStore s;
        TrendFeed feed(model, s, clock);
        feed.start();
        model.displayReset();
        sim::MonitorStream::Options o;
        o.mainsLossSecond = 3 * 3600;
        o.inputAlarmSecond = 5 * 3600;
        sim::MonitorStream stream(o);
        for (int sec = 1; sec <= kSessionSeconds; ++sec) {
            clock.advance(std::chrono::seconds(1));
            model.receive(stream.advanceTo(std::chrono::seconds(sec)));
            model.takeEffects();
        }
        return s;
    }();
    return store;
}

// The trend tab at the size it has in the monitor window, on a copy of the session that
// grows by a sample every second, as a live one does.
struct View {
    TrendStore store = session();
    TrendView view;
    StatusSample next = store.sampleAt(store.size() - 1);
    View() {
        view.resize(895, 520);
        view.show();
        view.refresh(store, store.lastMs());
    }
};

// One second of a session: a new sample, then the 25 repaints of the monitor's 40 ms timer
// (the statistics and the picture are made again once, the other repaints show the picture).
// The CPU time of an iteration is the time of one second of the session.
void repaintSecond(benchmark::State& state, int spanIndex, int repaints) {
    View v;
    if (auto* span = v.view.findChild<QComboBox*>(QStringLiteral("trendSpanCombo")))
        span->setCurrentIndex(spanIndex);
    QImage image(v.view.chart()->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        v.store.add(v.store.lastMs() + 1000, v.next);
        for (int r = 0; r < repaints; ++r) {
            v.view.refresh(v.store, v.store.lastMs());
            QPainter p(&image);
            v.view.chart()->paintCached(p);
        }
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["samples"] = static_cast<double>(v.store.size());
    state.counters["width"] = image.width();
    state.counters["height"] = image.height();
}

// At the monitor's repaint rate: the share of one core is the CPU time per iteration over 1 s.
void BM_SecondOfWholeEightHourSessionAt25Repaints(benchmark::State& state) {
    repaintSecond(state, 1, 25);
}
BENCHMARK(BM_SecondOfWholeEightHourSessionAt25Repaints)->Unit(benchmark::kMillisecond);

void BM_SecondOfLastTenMinutesAt25Repaints(benchmark::State& state) {
    repaintSecond(state, 0, 25);
}
BENCHMARK(BM_SecondOfLastTenMinutesAt25Repaints)->Unit(benchmark::kMillisecond);

// A picture drawn afresh: the whole 8-hour session, every series, every mark.
void BM_DrawWholeEightHourSession(benchmark::State& state) {
    View v;
    if (auto* span = v.view.findChild<QComboBox*>(QStringLiteral("trendSpanCombo")))
        span->setCurrentIndex(1);
    QImage image(v.view.chart()->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        v.view.chart()->paintInto(image);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_DrawWholeEightHourSession)->Unit(benchmark::kMillisecond);

void BM_EightHourStoreMemory(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(session().memoryBytes());
    state.counters["samples"] = static_cast<double>(session().size());
    state.counters["store_MB"] = static_cast<double>(session().memoryBytes()) / 1e6;
    state.counters["marks"] = static_cast<double>(session().marks().size());
}
BENCHMARK(BM_EightHourStoreMemory);

} // namespace
