// A whole writeConfig session (5120 bytes in lock-step) against the simulated module with the
// wire time of 115200 baud on the real clock. Reports the wall time against the wire-time
// limit (5120 bytes out and 5120 echoes, 10 bits each, plus the session's fixed sleeps) and the
// CPU time used.
#include "config/memmap.hpp"
#include "link/link_session.hpp"
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

} // namespace
