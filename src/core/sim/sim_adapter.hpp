#pragma once
// The simulated module's adapter: an FTDI chip whose latency timer is the module's
// adapterLatency option, so the latency hint and its remedy can be tried without hardware.
#include "link/adapter.hpp"
#include "sim/sim_module.hpp"

namespace qv {

class SimAdapterTuner final : public AdapterTuner {
  public:
    explicit SimAdapterTuner(SimModule& module) : module_(module) {}
    AdapterDescription describe(const std::string& port) override;
    // Sets the module's latency to 1 ms. Use it while no session runs on the port.
    AdapterChange setLowLatency(const std::string& port) override;

  private:
    SimModule& module_;
};

} // namespace qv
