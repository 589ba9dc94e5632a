#pragma once
// The port a window talks through: a real serial port (the platform's own), the built-in
// simulated module for the port name "sim[:options]", or the simulated GSM modem for
// "sim-modem[:options]", with the clock sessions use on it.
// Create it in the thread that uses the port.
#include "common/clock.hpp"
#include "link/adapter.hpp"
#include "link/serial_port.hpp"
#include "sim/sim_modem.hpp"
#include "sim/sim_setup.hpp"

#include <memory>
#include <string>

namespace qv {

class PortTarget {
  public:
    // Nothing, with the reason in error, when the simulated module's options are unusable.
    static std::unique_ptr<PortTarget> create(const std::string& portName, std::string& error);

    SerialPort& port() {
        return sim_ ? sim_->port() : modem_ ? static_cast<SerialPort&>(*modem_) : *real_;
    }
    Clock& clock() {
        return sim_ ? sim_->clock() : modem_ ? modem_->clock() : static_cast<Clock&>(systemClock_);
    }
    bool isSimulated() const { return sim_ != nullptr || modem_ != nullptr; }
    // Describes and tunes the port's adapter: the system's, or the simulated module's.
    AdapterTuner& adapter() { return sim_ ? sim_->adapter() : *systemTuner_; }
    SimSetup* sim() { return sim_.get(); }
    // The simulated modem, when the port is one.
    SimModemPort* simModem() { return modem_.get(); }
    // The name to open the port by ("sim" for the simulated module).
    const std::string& openName() const { return openName_; }
    // Keeps the simulated module's memory in its state file; true when there is nothing to do.
    bool saveState(std::string& error) const;

  private:
    std::unique_ptr<SimSetup> sim_;
    std::unique_ptr<SimModemPort> modem_;
    std::unique_ptr<SerialPort> real_;
    std::unique_ptr<AdapterTuner> systemTuner_;
    SystemClock systemClock_;
    std::string openName_;
};

} // namespace qv
