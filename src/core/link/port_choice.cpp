#include "link/port_choice.hpp"

#include "sim/sim_modem.hpp"
#include "sim/sim_setup.hpp"

namespace qv {

namespace {

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const auto& n : names)
        text += (text.empty() ? "" : ", ") + n;
    return text;
}

} // namespace

PortChoice choosePort(const std::string& configured, bool configuredPresent,
                      const PortInventory& inventory) {
    PortChoice c;
    c.port = configured;
    // The simulated module and the simulated modem are always there.
    if (configuredPresent || isSimPortName(configured) || isSimModemPortName(configured)) return c;
    c.adapters = inventory.adapters();
    const std::string missing = "Port " + configured + " nie jest podłączony";
    if (c.adapters.size() == 1) {
        const PortEntry& only = c.adapters.front();
        c.outcome = PortChoice::Outcome::onlyAdapter;
        c.port = only.name;
        c.lines.push_back(missing + "; używam jedynego podłączonego adaptera: " + only.name + " (" +
                          portEntryDescription(only) + ").");
        return c;
    }
    if (c.adapters.size() > 1) {
        c.outcome = PortChoice::Outcome::severalAdapters;
        c.lines.push_back(missing + ". Podłączone adaptery - wybierz jeden:");
        for (const auto& a : c.adapters)
            c.lines.push_back("  " + a.name + ": " + portEntryDescription(a));
        return c;
    }
    c.outcome = PortChoice::Outcome::noAdapter;
    c.offerSimulated = true;
    for (const auto& p : inventory.ports)
        c.otherPorts.push_back(p.name);
    c.withoutDriver = inventory.withoutDriver;
    c.lines.push_back(missing + ", a żaden adapter USB-serial nie jest podłączony.");
    for (const auto& a : c.withoutDriver) {
        c.lines.push_back("Jest podłączony " + unusableAdapterDescription(a) + ".");
        if (!a.remedy.empty()) c.lines.push_back(a.remedy);
    }
    c.lines.push_back(c.otherPorts.empty() ? "W systemie nie ma portów szeregowych."
                                           : "Porty w systemie: " + joined(c.otherPorts) + ".");
    c.lines.push_back("Podłącz adapter modułu albo wypróbuj program na module symulowanym "
                      "(port sim).");
    return c;
}

} // namespace qv
