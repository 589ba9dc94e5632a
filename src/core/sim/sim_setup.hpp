#pragma once
// The port name "sim[:options]": the built-in simulated module, for the command line and the
// GUI. Options, comma-separated:
//   state=PATH     module memory kept in this file (created when missing)
//   realtime       real clock with 115200-baud wire time (default: the virtual clock)
//   id=TEXT        identification answer (default X/B/NAME_0503/2392123)
//   password=TEXT  the module's password
//   configured=0|1 whether the module holds a configuration
//   silent, zeros, nostx, noise, noetx, deaf, late=N, badecho=N, stop=N   faults
//   openfail       the port cannot be opened
//   rtsfail        every change of RTS (the reset line) fails
//   writefail=N    writing byte N fails, and every byte after it (counted from 1 per session)
//   readfail=N     reading byte N fails, and every byte after it
//   vanish=N       the port disappears as byte N is written: every later call fails
//   break, rx80full  the port reports a break, or its receive buffer 80 % full, each time
//                  the module is let out of reset
//   corrupt=OFFSET  a configuration write stores the byte at this image offset wrongly
//   latency=MS     every byte the module sends is held MS milliseconds (1 to 1000), as a
//                  USB-serial adapter's latency timer holds it
//   acloss=N       the mains fail N seconds after the application starts; the battery falls
//   inputalarm=N   input "We 2" goes into alarm N seconds after the start, back 60 s later
//   changes=N      a random wired input changes every N seconds (default 23; 0: never)
#include "common/clock.hpp"
#include "sim/sim_adapter.hpp"
#include "sim/sim_module.hpp"
#include "sim/sim_port.hpp"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace qv {

struct SimPortSpec {
    std::string statePath;
    bool realtime = false;
    SimOptions options;
    std::optional<std::string> password; // UTF-8
    std::optional<bool> configured;
    bool badPin = false; // the application stops on a wrong SIM PIN (reset cause 03)
    int mainsLossSecond = 0;
    int inputAlarmSecond = 0;
    int inputChangeSeconds = 23;
    SimPortFaults portFaults;
};

// True for "sim" and "sim:...".
bool isSimPortName(std::string_view portName);
// Nothing, with a message in error, when an option is unknown or malformed.
std::optional<SimPortSpec> parseSimPortSpec(std::string_view portName, std::string& error);

// A simulated module with its clock and port, its memory loaded from and saved to the state
// file when one is given.
class SimSetup {
  public:
    // Nothing, with a message in error, when the state file exists but cannot be used.
    static std::unique_ptr<SimSetup> create(const SimPortSpec& spec, std::string& error);

    SerialPort& port() { return *port_; }
    Clock& clock() { return *clock_; }
    SimModule& module() { return module_; }
    // The simulated adapter's latency timer (the latency option), for `qvprog-cli adapter`.
    AdapterTuner& adapter() { return adapter_; }
    // Writes the module's memory to the state file (nothing to do without one).
    bool saveState(std::string& error) const;

  private:
    SimSetup(SimMemory memory, const SimPortSpec& spec);

    std::string statePath_;
    std::unique_ptr<Clock> clock_;
    SimModule module_;
    std::unique_ptr<SimPort> port_;
    SimAdapterTuner adapter_{module_};
};

} // namespace qv
