// Linux and macOS: the ports of Qt Serial Port.
#include "platform/system_port.hpp"

#include "qtport/qt_serial_port.hpp"

#if defined(__linux__)
#include "platform/linux/modem_manager_advice.hpp"
#include "platform/linux/port_access.hpp"
#include "platform/linux/sysfs_adapter.hpp"
#include "platform/linux/sysfs_catalog.hpp"
#endif

#include <filesystem>

namespace qv {

std::unique_ptr<SerialPort> makeSystemSerialPort() {
    return makeQtSerialPort();
}

std::vector<std::string> listSystemPortNames() {
#if defined(__linux__)
    // The names of the port list, so that every list shows the same ports.
    std::vector<std::string> names;
    for (auto& port : SysfsPortCatalog().inventory().ports)
        names.push_back(std::move(port.name));
    return names;
#else
    return listPortNames();
#endif
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

#if !defined(__linux__)
namespace {
// The ports Qt lists, without descriptions; nothing to follow them with.
class QtPortCatalog final : public PortCatalog {
  public:
    PortInventory inventory() override {
        PortInventory inv;
        for (auto& name : listPortNames()) {
            PortEntry e;
            e.name = std::move(name);
            inv.ports.push_back(std::move(e));
        }
        return inv;
    }
    bool present(const std::string& name) override {
        std::error_code ec;
        return !name.empty() && std::filesystem::exists(name, ec);
    }
    std::unique_ptr<PortWatch> watch(ChangeListener) override { return nullptr; }
};
} // namespace
#endif

std::unique_ptr<PortCatalog> makeSystemPortCatalog() {
#if defined(__linux__)
    return std::make_unique<SysfsPortCatalog>();
#else
    return std::make_unique<QtPortCatalog>();
#endif
}

PortFacts inspectSystemPort(const std::string& port, const PortInventory* inventory) {
#if defined(__linux__)
    PortFacts facts = linuxPortFacts(port);
#else
    PortFacts facts;
    facts.port = port;
    std::error_code ec;
    facts.exists = std::filesystem::exists(port, ec);
#endif
    facts.inventory = inventory ? *inventory : makeSystemPortCatalog()->inventory();
    return facts;
}

std::vector<std::string> explainSystemPortFailure(const PortFailure& failure) {
    return explainPortFailure(failure, inspectSystemPort(failure.port));
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
