// Linux and macOS: the ports of Qt Serial Port.
#include "platform/system_port.hpp"

#include "qtport/qt_serial_port.hpp"

#if defined(__linux__)
#include "platform/linux/modem_manager_advice.hpp"
#include "platform/linux/sysfs_adapter.hpp"
#endif

namespace qv {

std::unique_ptr<SerialPort> makeSystemSerialPort() {
    return makeQtSerialPort();
}

std::vector<std::string> listSystemPortNames() {
    return listPortNames();
}

#if !defined(__linux__)
namespace {
class UnknownAdapterTuner final : public AdapterTuner {
  public:
    AdapterDescription describe(const std::string& port) override {
        AdapterDescription d;
        d.port = port;
        d.note = "ten system nie opisuje adapterów";
        return d;
    }
    AdapterChange setLowLatency(const std::string&) override {
        return {AdapterChange::Outcome::notPossible,
                {"Ten system nie pozwala ustawić opóźnienia adaptera z programu."}};
    }
};
} // namespace
#endif

std::unique_ptr<AdapterTuner> makeSystemAdapterTuner() {
#if defined(__linux__)
    return std::make_unique<SysfsAdapterTuner>();
#else
    return std::make_unique<UnknownAdapterTuner>();
#endif
}

std::vector<std::string> sharedModemPortAdvice(const std::string& port) {
#if defined(__linux__)
    return modemManagerAdvice(port, SysfsAdapterTuner().describe(port));
#else
    return {"Port " + port + " zajmuje inny program: zamknij go i spróbuj ponownie."};
#endif
}

bool startElevatedLowLatency(const std::string& port, std::string& error) {
    // Root rights are not asked for from a window here: the hint gives the command.
    error = "Uruchom jako root: qvprog-cli adapter " + port + " --low-latency";
    return false;
}

} // namespace qv
