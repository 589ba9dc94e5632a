#pragma once
// The USB-serial adapter behind a port, as far as the system can tell: its driver, its USB
// vendor and product, and the latency timer with which it holds received bytes before it
// passes them on. Each platform describes and tunes its adapters behind AdapterTuner
// (sysfs on Linux, the setup API and the registry on Windows, the option of the simulated
// module); the session's hint and `qvprog-cli adapter` only see this.
#include <optional>
#include <string>
#include <vector>

namespace qv {

// Where the description comes from, which decides how the timer is changed.
enum class AdapterSystem { sysfs, windows, simulated, other };

struct AdapterDescription {
    AdapterSystem system = AdapterSystem::other;
    std::string port;      // the port name it describes
    bool found = false;    // the system told something about the adapter
    std::string driver;    // "ftdi_sio", "FTDIBUS", "cp210x", ...
    std::string vendorId;  // four lower-case hex digits ("0403"); empty when unknown
    std::string productId; // "6001"
    std::string product;   // the product text the adapter reports, when known
    std::optional<int> latencyTimerMs;
    // Linux: the driver's low-latency flag, when it could be read.
    std::optional<bool> lowLatencyFlag;
    // Where the latency timer is kept: a sysfs file or a registry key.
    std::string latencySetting;
    // Why nothing more is known (no such port, not a USB adapter, ...), in Polish.
    std::string note;

    bool isFtdi() const { return vendorId == "0403"; }
};

// The result of asking for the low latency.
struct AdapterChange {
    enum class Outcome {
        done,               // set (see lines for what was found and what was set)
        needsAdministrator, // the system refused; lines give the command to run with rights
        notPossible,        // nothing to set for this adapter
    };
    Outcome outcome = Outcome::notPossible;
    std::vector<std::string> lines; // Polish, for the user
};

class AdapterTuner {
  public:
    virtual ~AdapterTuner() = default;
    // Never throws; what cannot be read stays empty.
    virtual AdapterDescription describe(const std::string& port) = 0;
    // Sets the adapter's latency timer to 1 ms where the system allows it. Never throws.
    virtual AdapterChange setLowLatency(const std::string& port) = 0;
};

// The latency timer a slow adapter is set to.
inline constexpr int kLowLatencyTimerMs = 1;

// The USB vendor and product of a Windows device instance ("FTDIBUS\\VID_0403+PID_6001+A1\\0000",
// "USB\\VID_1A86&PID_7523\\5&1"): four lower-case hex digits each; false when it names none.
bool parseUsbInstanceId(const std::string& instanceId, std::string& vendorId,
                        std::string& productId);

// What `qvprog-cli adapter` prints about an adapter (Polish lines).
std::vector<std::string> adapterDescriptionLines(const AdapterDescription& d);

// The command that sets the timer with the rights it needs, for the hint and for a refused
// change: a sysfs write under sudo on Linux, the elevated step of the command line on
// Windows. Empty when there is nothing to set.
std::string lowLatencyCommand(const AdapterDescription& d);

} // namespace qv
