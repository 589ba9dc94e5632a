// Throughput of the monitor model on the stream a running module sends (the serial line carries
// at most 11.5 kB/s, so anything far above that keeps the window responsive).
#include "monitor/event_history.hpp"
#include "monitor/monitor_model.hpp"
#include "sim/monitor_stream.hpp"

#include <benchmark/benchmark.h>

#include <random>

namespace {

const std::string& realisticStream() {
    static const std::string stream = [] {
        qv::sim::MonitorStream::Options o;
        o.inputChangeSeconds = 7; // more events than a quiet module
        qv::sim::MonitorStream s(o);
        return s.advanceTo(std::chrono::minutes(30));
    }();
    return stream;
}

void BM_MonitorModelStream(benchmark::State& state) {
    const std::string& stream = realisticStream();
    const auto batch = static_cast<std::size_t>(state.range(0));
    qv::SystemClock clock;
    for (auto _ : state) {
        qv::MonitorModel model(clock);
        model.displayReset();
        for (std::size_t i = 0; i < stream.size(); i += batch)
            model.receive(std::string_view(stream).substr(i, batch));
        benchmark::DoNotOptimize(model.receivedCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(stream.size()));
}
BENCHMARK(BM_MonitorModelStream)->Arg(64)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_HistoryFillSortFile(benchmark::State& state) {
    std::mt19937 rng(7);
    std::vector<std::uint8_t> buffer(qv::kEventBufferBytes);
    for (auto& b : buffer)
        b = static_cast<std::uint8_t>(rng() % 60);
    for (auto _ : state) {
        qv::HistoryTable table;
        table.fill(buffer, 17);
        table.sortByTime();
        auto lines = qv::historyFileLines(table, "?", "?", {});
        benchmark::DoNotOptimize(lines);
    }
}
BENCHMARK(BM_HistoryFillSortFile)->Unit(benchmark::kMicrosecond);

} // namespace
