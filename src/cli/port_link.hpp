#pragma once
// The port a command talks through: a real serial port or the simulated module, with the
// clock sessions use on it.
#include "cli/cli_commands.hpp"

#include "common/clock.hpp"
#include "link/link_session.hpp"
#include "link/link_types.hpp"
#include "link/round_trip.hpp"
#include "link/serial_port.hpp"
#include "sim/sim_setup.hpp"

#include <memory>
#include <optional>
#include <string>

namespace qv::cli {

struct PortLink {
    std::unique_ptr<SimSetup> sim;
    std::unique_ptr<SerialPort> real;
    SystemClock systemClock;
    bool realtime = true; // false: the simulated module on its virtual clock
    std::unique_ptr<AdapterTuner> systemTuner;
    SerialPort& port() { return sim ? sim->port() : *real; }
    // What describes and tunes the port's adapter (nothing without system ports).
    AdapterTuner* adapter() { return sim ? &sim->adapter() : systemTuner.get(); }
    Clock& clock() { return sim ? sim->clock() : static_cast<Clock&>(systemClock); }
    // The name to open the port by.
    std::string openName(const std::string& portName) const { return sim ? "sim" : portName; }
    // Saves the simulated module's memory; true when there is nothing to save.
    bool saveState(const Invocation& inv) const;
};

// Prints the link log lines as the link window shows them; message boxes go to standard error.
class PrintingObserver final : public LinkObserver {
  public:
    explicit PrintingObserver(const Invocation& inv) : inv_(inv) {}
    void logLine(const std::string& text) override;
    void messageBox(const std::string& text) override;
    // The slow-adapter hint goes to standard error, apart from the log.
    void latencyHint(const LatencyHint& hint) override;

  private:
    const Invocation& inv_;
};

// Nothing, with the reason printed, when the port name cannot be used.
std::optional<PortLink> openPortLink(const Invocation& inv, const std::string& portName);

// The port a command uses: the one given with --port as it stands; otherwise the configured
// one, or, when that is not there and exactly one USB-serial adapter is, that adapter (said
// on standard error). With none or several the configured one stays, and its failure says
// what there is.
std::string commandPortName(const Invocation& inv, const std::optional<std::string>& given,
                            const std::string& configured);

// After the port message of a failed session (or of the caller's own): what happened to the
// port and what to do, on standard error. Nothing for the simulated module.
void explainPortFailure(const Invocation& inv, const PortFailure& failure);
void explainPortFailure(const Invocation& inv, const LinkSession& session);

} // namespace qv::cli
