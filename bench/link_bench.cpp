// A whole writeConfig session (5120 bytes in lock-step) against the simulated module with the
// wire time of 115200 baud on the real clock. Reports the wall time against the wire-time
// limit (5120 bytes out and 5120 echoes, 10 bits each, plus the session's fixed sleeps) and the
// CPU time used.
#include "config/memmap.hpp"
#include "link/link_session.hpp"
#include "link/round_trip.hpp"
#include "sim/sim_adapter.hpp"
#include "sim/sim_module.hpp"
#include "sim/sim_port.hpp"

#include <benchmark/benchmark.h>

#if defined(__linux__)
#include <sys/prctl.h>
#endif

#include <ctime>

namespace {

struct Quiet : qv::LinkObserver {
    void logLine(const std::string&) override {}
};

double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Bytes on the wire: 5120 out, 5120 echoes. Fixed sleeps: three reset pulses of 500 ms, 5 ms
// before "R", 300 ms after it, 50 ms before the final reset.
constexpr double kWireSeconds = 5120.0 * 2 * 10 / 115200;
constexpr double kFixedSleepSeconds = 3 * 0.5 + 0.005 + 0.3 + 0.05;
constexpr double kLimitSeconds = kWireSeconds + kFixedSleepSeconds;

void BM_WriteConfig5120RealTime(benchmark::State& state) {
#if defined(__linux__)
    // The default 50 us timer slack would add to every one of the 5120 round trips.
    prctl(PR_SET_TIMERSLACK, 1UL);
#endif
    qv::SystemClock clock;
    qv::SimModule module;
    qv::SimPort port(module, clock, qv::SimPort::RealTime{});
    Quiet quiet;
    qv::LinkSession session(port, clock, quiet);
    for (std::size_t k = 0; k < session.configImage().size(); ++k)
        session.configImage()[k] = static_cast<std::uint8_t>(k);
    // No password in the image, so every round sends the same (empty) one.
    session.configImage().putTextField("", qv::memmap::oPASSWORD, qv::memmap::wPASSWORD);
    qv::SessionRequest r;
    r.mode = qv::LinkMode::writeConfig;
    r.portName = "sim";
    double wall = 0, cpu = 0;
    for (auto _ : state) {
        const auto t0 = clock.now();
        const double c0 = cpuSeconds();
        const int result = session.run(r);
        cpu += cpuSeconds() - c0;
        wall += std::chrono::duration<double>(clock.now() - t0).count();
        if (result != 1) state.SkipWithError("the session failed");
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["wall_s"] = wall / n;
    state.counters["limit_s"] = kLimitSeconds;
    state.counters["wall_per_limit"] = wall / n / kLimitSeconds;
    state.counters["cpu_s"] = cpu / n;
    state.counters["cpu_percent"] = 100.0 * cpu / wall;
}
BENCHMARK(BM_WriteConfig5120RealTime)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// The same session on the virtual clock: what the protocol itself costs.
void BM_WriteConfig5120Virtual(benchmark::State& state) {
    qv::VirtualClock clock;
    qv::SimModule module;
    qv::SimPort port(module, clock);
    Quiet quiet;
    qv::LinkSession session(port, clock, quiet);
    qv::SessionRequest r;
    r.mode = qv::LinkMode::writeConfig;
    r.portName = "sim";
    for (auto _ : state)
        benchmark::DoNotOptimize(session.run(r));
}
BENCHMARK(BM_WriteConfig5120Virtual)->Unit(benchmark::kMillisecond);

// A write through an adapter that holds every byte of the module (sim:realtime,latency=16),
// before and after the remedy: the session's hint, then the adapter's timer set to 1 ms
// through its tuner, as `qvprog-cli adapter PORT --low-latency` does. Real time; only the
// first 200 bytes are sent, and the whole 5120-byte write and the 32300-byte phone base are
// extrapolated from their pace (the session's fixed sleeps plus the bytes times the pace).
// Arg 0: the adapter as found (16 ms); arg 1: after the remedy.
struct HintCounter : qv::LinkObserver {
    int hints = 0;
    void logLine(const std::string&) override {}
    void latencyHint(const qv::LatencyHint&) override { ++hints; }
};

void BM_SlowAdapterWrite(benchmark::State& state) {
#if defined(__linux__)
    prctl(PR_SET_TIMERSLACK, 1UL);
#endif
    constexpr int kBytes = 200;
    qv::SystemClock clock;
    qv::SimOptions options;
    options.adapterLatency = std::chrono::milliseconds(16);
    qv::SimModule module(qv::SimMemory::fresh(), options);
    qv::SimAdapterTuner tuner(module);
    if (state.range(0) == 1) tuner.setLowLatency("sim");
    qv::SimPort port(module, clock, qv::SimPort::RealTime{});
    HintCounter observer;
    qv::LinkSession session(port, clock, observer);
    session.setAdapterTuner(&tuner);
    session.configImage().putTextField("", qv::memmap::oPASSWORD, qv::memmap::wPASSWORD);
    qv::SessionRequest r;
    r.mode = qv::LinkMode::writeConfig;
    r.portName = "sim";
    r.transferLength = kBytes;
    double wall = 0, median = 0;
    for (auto _ : state) {
        observer.hints = 0;
        const auto t0 = clock.now();
        const int result = session.run(r);
        wall += std::chrono::duration<double>(clock.now() - t0).count();
        median += std::chrono::duration<double>(*session.roundTrip().median()).count();
        if (result != 1) state.SkipWithError("the session failed");
    }
    const double n = static_cast<double>(state.iterations());
    const double pace = (wall / n - kFixedSleepSeconds) / kBytes;
    state.counters["hints_per_session"] = observer.hints;
    state.counters["median_rt_ms"] = 1000 * median / n;
    state.counters["pace_ms"] = 1000 * pace;
    state.counters["write5120_est_s"] = kFixedSleepSeconds + 5120 * pace;
    state.counters["phonebase_est_s"] = kFixedSleepSeconds + 32300 * pace;
}
BENCHMARK(BM_SlowAdapterWrite)
    ->ArgName("remedied")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

} // namespace
