#include "cli/port_link.hpp"

#if defined(QVPROG_HAVE_SYSTEM_PORTS)
#include "platform/system_port.hpp"
#endif

#include "link/port_choice.hpp"

#include <ostream>

namespace qv::cli {

void PrintingObserver::logLine(const std::string& text) {
    inv_.out << text << '\n';
}
void PrintingObserver::messageBox(const std::string& text) {
    inv_.err << text << '\n';
}

void PrintingObserver::latencyHint(const LatencyHint& hint) {
    for (const auto& line : hint.lines)
        inv_.err << line << '\n';
}

bool PortLink::saveState(const Invocation& inv) const {
    if (!sim) return true;
    std::string error;
    if (sim->saveState(error)) return true;
    inv.err << error << '\n';
    return false;
}

std::optional<PortLink> openPortLink(const Invocation& inv, const std::string& portName) {
    PortLink link;
    if (isSimPortName(portName)) {
        std::string error;
        const auto spec = parseSimPortSpec(portName, error);
        if (spec) link.sim = SimSetup::create(*spec, error);
        if (!link.sim) {
            inv.err << error << '\n';
            return std::nullopt;
        }
        link.realtime = spec->realtime;
        return link;
    }
#if defined(QVPROG_HAVE_SYSTEM_PORTS)
    link.real = makeSystemSerialPort();
    link.systemTuner = makeSystemAdapterTuner();
    return link;
#else
    inv.err << "Ten program nie obsługuje portów szeregowych (brak Qt SerialPort)\n";
    return std::nullopt;
#endif
}

std::string commandPortName(const Invocation& inv, const std::optional<std::string>& given,
                            const std::string& configured) {
    if (given) return *given;
#if defined(QVPROG_HAVE_SYSTEM_PORTS)
    if (isSimPortName(configured)) return configured;
    const auto catalog = makeSystemPortCatalog();
    if (catalog->present(configured)) return configured;
    const PortChoice choice = choosePort(configured, false, catalog->inventory());
    if (choice.outcome != PortChoice::Outcome::onlyAdapter) return configured;
    for (const auto& line : choice.lines)
        inv.err << line << '\n';
    return choice.port;
#else
    (void)inv;
    return configured;
#endif
}

void explainPortFailure(const Invocation& inv, const PortFailure& failure) {
    if (isSimPortName(failure.port)) return;
#if defined(QVPROG_HAVE_SYSTEM_PORTS)
    for (const auto& line : explainSystemPortFailure(failure))
        inv.err << line << '\n';
#else
    (void)inv;
#endif
}

void explainPortFailure(const Invocation& inv, const LinkSession& session) {
    if (session.portFailure()) explainPortFailure(inv, *session.portFailure());
}

} // namespace qv::cli
