#include "sim/sim_adapter.hpp"

#include <chrono>

namespace qv {

namespace {
int latencyMs(const SimModule& module) {
    using std::chrono::duration_cast;
    using std::chrono::milliseconds;
    return static_cast<int>(duration_cast<milliseconds>(module.options().adapterLatency).count());
}
} // namespace

AdapterDescription SimAdapterTuner::describe(const std::string& port) {
    AdapterDescription d;
    d.system = AdapterSystem::simulated;
    d.port = port;
    d.found = true;
    d.driver = "symulator";
    d.vendorId = "0403";
    d.productId = "6001";
    d.product = "moduł symulowany";
    d.latencyTimerMs = latencyMs(module_);
    d.latencySetting = "opcja latency= portu sim";
    return d;
}

AdapterChange SimAdapterTuner::setLowLatency(const std::string&) {
    AdapterChange change;
    const int before = latencyMs(module_);
    module_.options().adapterLatency = std::chrono::milliseconds(kLowLatencyTimerMs);
    change.outcome = AdapterChange::Outcome::done;
    change.lines.push_back("Opóźnienie adaptera symulowanego: było " + std::to_string(before) +
                           " ms, ustawiono " + std::to_string(kLowLatencyTimerMs) + " ms.");
    return change;
}

} // namespace qv
