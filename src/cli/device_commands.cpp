// Device commands: sessions with a module over a serial port or the built-in simulated module.
#include "cli/cli_commands.hpp"
#include "cli/port_link.hpp"

#include "archive/archive_session.hpp"
#include "archive/config_archive.hpp"
#include "common/clock.hpp"
#include "common/cp1250.hpp"
#include "config/config_document.hpp"
#include "link/link_session.hpp"
#include "link/port_names.hpp"
#include "monitor/event_history.hpp"
#include "sim/sim_setup.hpp"
#include "tools/config_compare.hpp"

#if defined(QVPROG_HAVE_SYSTEM_PORTS)
#include "platform/system_port.hpp"
#endif

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>

namespace qv::cli {

namespace {

struct Options {
    std::vector<std::string> positional;
    std::optional<std::string> port;
    std::optional<std::string> password;
    std::optional<std::string> raw;
    std::optional<std::string> counters; // --write a,b,c,d,e
    bool noVerify = false;
    bool readback = false;   // write: read the configuration back and compare it
    bool lowLatency = false; // adapter: set the adapter's latency timer to 1 ms
    bool wait = false;       // adapter: wait for Enter before ending (an elevated console)
    bool noArchive = false;  // read, write: keep no entry in the archive
};

// Nothing when an option is unknown or lacks its value.
std::optional<Options> parseOptions(const Invocation& inv) {
    Options o;
    if (!readOptions(inv,
                     {{"--port", &o.port},
                      {"--password", &o.password},
                      {"--raw", &o.raw},
                      {"--write", &o.counters},
                      {"--no-verify", nullptr, &o.noVerify},
                      {"--readback", nullptr, &o.readback},
                      {"--low-latency", nullptr, &o.lowLatency},
                      {"--wait", nullptr, &o.wait},
                      {"--no-archive", nullptr, &o.noArchive}},
                     o.positional))
        return std::nullopt;
    return o;
}

// Runs one session; the simulated module's memory is saved afterwards.
int runSession(const Invocation& inv, PortLink& link, LinkSession& session, SessionRequest r) {
    r.portName = link.sim ? "sim" : r.portName;
    session.run(r);
    explainPortFailure(inv, session);
    if (!link.saveState(inv)) return kExitRefused;
    return session.sessionResult() == 1 ? kExitOk : kExitRefused;
}

struct Context {
    const Invocation& inv;
    Options options;
    std::string portName;
    SystemClock clock;
    ConfigDocument doc;
    Context(const Invocation& i, Options o) : inv(i), options(std::move(o)), doc(clock, i.exeDir) {
        startDocument(inv, doc, kDefaultPortName);
        portName = commandPortName(inv, options.port, doc.programSettings().portName);
    }
    SessionRequest request(LinkMode mode) const {
        SessionRequest r;
        r.mode = mode;
        r.portName = portName;
        r.password = options.password.value_or("");
        r.reverseReset = doc.programSettings().reverseReset;
        return r;
    }
};

int withSession(Context& c, const std::function<int(PortLink&, LinkSession&)>& body) {
    auto link = openPortLink(c.inv, c.portName);
    if (!link) return kExitUsage;
    PrintingObserver observer(c.inv);
    LinkSession session(link->port(), link->clock(), observer);
    session.setAdapterTuner(link->adapter());
    return body(*link, session);
}

int cmdSimple(Context& c, LinkMode mode) {
    return withSession(c, [&](PortLink& link, LinkSession& s) {
        return runSession(c.inv, link, s, c.request(mode));
    });
}

// Keeps what a configuration session read or wrote in the archive. An archive that cannot keep
// it says so in one line; the command's outcome stays the session's.
void archiveSession(Context& c, const LinkSession& s, LinkMode mode, const std::string& file,
                    ReadBack readBack = ReadBack::notAsked) {
    if (c.options.noArchive) return;
    const auto entry =
        sessionEntry(s, mode, {c.clock.localTime(), c.inv.userName, file, readBack, c.portName});
    if (!entry) return;
    const ArchiveStoreOutcome stored = storeInArchive(c.inv.archivePath, *entry);
    if (stored.message) c.inv.err << *stored.message << '\n';
}

int cmdRead(Context& c) {
    return withSession(c, [&](PortLink& link, LinkSession& s) {
        const int rc = runSession(c.inv, link, s, c.request(LinkMode::readConfig));
        if (rc != kExitOk) return rc;
        const std::string out = absolutePath(c.options.positional[0]);
        // The module's configuration is kept even when the file cannot be written.
        archiveSession(c, s, LinkMode::readConfig, out);
        printMessages(c.inv, c.doc.takeReadImage(s.configImage()));
        const SaveResult saved = c.doc.saveFile(out);
        printMessages(c.inv, saved.messages);
        return saved.saved ? kExitOk : kExitRefused;
    });
}

// The echo check proves the module received the bytes; reading them back in a second
// session proves it stored them.
ReadBack readBack(Context& c, PortLink& link, LinkSession& written, const std::string& password) {
    PrintingObserver observer(c.inv);
    LinkSession check(link.port(), link.clock(), observer);
    SessionRequest r = c.request(LinkMode::readConfig);
    r.password = password;
    if (runSession(c.inv, link, check, r) != kExitOk) {
        c.inv.err << "Odczyt kontrolny nie powiódł się\n";
        return ReadBack::failed;
    }
    const auto ranges = differingBytes(written.configImage(), check.configImage());
    if (ranges.empty()) {
        c.inv.out << "Odczyt kontrolny: moduł przechowuje wysłaną konfigurację\n";
        return ReadBack::same;
    }
    c.inv.err << "Odczyt kontrolny: moduł przechowuje inne bajty pod adresami:";
    for (std::size_t k = 0; k < ranges.size(); ++k)
        c.inv.err << (k == 0 ? " " : ", ") << rangeText(ranges[k]);
    c.inv.err << '\n';
    return ReadBack::differs;
}

int cmdWrite(Context& c) {
    const std::string in = absolutePath(c.options.positional[0]);
    const OpenResult opened = c.doc.openFile(in);
    printMessages(c.inv, opened.messages);
    if (!opened.opened) return kExitRefused;
    // --password stands for the password confirmation: it replaces the configuration's one,
    // so the image sent carries it too.
    if (c.options.password) c.doc.settings().password = *c.options.password;
    c.doc.form2tab();
    return withSession(c, [&](PortLink& link, LinkSession& s) {
        s.configImage() = c.doc.image();
        SessionRequest r = c.request(LinkMode::writeConfig);
        r.password = c.doc.settings().password;
        r.verify = !c.options.noVerify;
        const int rc = runSession(c.inv, link, s, r);
        if (rc != kExitOk) return rc;
        if (!c.options.readback) {
            archiveSession(c, s, LinkMode::writeConfig, in);
            return rc;
        }
        // The entry is kept once the read-back has shown what the module holds.
        const ReadBack checked = readBack(c, link, s, r.password);
        archiveSession(c, s, LinkMode::writeConfig, in, checked);
        return checked == ReadBack::same ? kExitOk : kExitRefused;
    });
}

// Reads the event buffer; prints eventPosition, then the history table (filled as the history
// window fills it after a read) or writes it to OUT.txt; --raw keeps the 8000 bytes as they came.
int cmdEvents(Context& c) {
    return withSession(c, [&](PortLink& link, LinkSession& s) {
        const int rc = runSession(c.inv, link, s, c.request(LinkMode::readEvents));
        if (rc != kExitOk) return rc;
        c.inv.out << "eventPosition: " << int(s.statusBytes().eventPosition) << '\n';
        const auto& events = s.eventBuffer();
        if (c.options.raw) {
            if (const auto failed = writeRawEventBuffer(*c.options.raw, events)) {
                c.inv.err << *failed << '\n';
                return kExitRefused;
            }
        }
        HistoryTable table;
        table.fill(events, s.statusBytes().eventPosition);
        const auto lines = historyFileLines(table, s.identity().modelString,
                                            s.identity().serialNumber, c.clock.localTime());
        if (c.options.positional.empty()) {
            if (!c.options.raw)
                for (const auto& line : lines)
                    c.inv.out << line << '\n';
            return kExitOk;
        }
        if (!writeHistoryFile(c.options.positional[0], lines)) {
            c.inv.err << kHistorySaveErrorMessage << '\n';
            return kExitRefused;
        }
        c.inv.out << kHistorySavedMessage << '\n';
        return kExitOk;
    });
}

int cmdCounters(Context& c) {
    if (!c.options.counters) return cmdSimple(c, LinkMode::readCounters);
    SessionRequest r = c.request(LinkMode::writeCounters);
    // Exactly five values, the last one not followed by a comma.
    const std::string& list = *c.options.counters;
    const auto commas = static_cast<std::size_t>(std::count(list.begin(), list.end(), ','));
    if (commas + 1 != r.counterTexts.size()) {
        c.inv.err << "Podaj pięć wartości liczników: --write a,b,c,d,e\n";
        return kExitUsage;
    }
    std::size_t start = 0;
    for (auto& text : r.counterTexts) {
        const std::size_t end = std::min(list.find(',', start), list.size());
        text = list.substr(start, end - start);
        start = end + 1;
    }
    return withSession(
        c, [&](PortLink& link, LinkSession& s) { return runSession(c.inv, link, s, r); });
}

int cmdFirmware(Context& c) {
    return withSession(c, [&](PortLink& link, LinkSession& s) {
        s.setFirmwareFile(absolutePath(c.options.positional[0]));
        return runSession(c.inv, link, s, c.request(LinkMode::uploadFirmware));
    });
}

// What is known about the port's adapter, then the module's round trip measured in an
// identification session; with --low-latency, the adapter's latency timer set to 1 ms instead.
int cmdAdapter(Context& c) {
    auto finish = [&](int rc) {
        if (c.options.wait) {
            c.inv.out << "Naciśnij Enter, aby zamknąć." << std::endl;
            std::string line;
            std::getline(std::cin, line);
        }
        return rc;
    };
    auto link = openPortLink(c.inv, c.portName);
    if (!link) return finish(kExitUsage);
    AdapterTuner* tuner = link->adapter();
    if (!tuner) {
        c.inv.err << "Ten program nie opisuje adapterów portów szeregowych\n";
        return finish(kExitRefused);
    }
    const AdapterDescription adapter = tuner->describe(c.portName);
    for (const auto& line : adapterDescriptionLines(adapter))
        c.inv.out << line << '\n';
    if (c.options.lowLatency) {
        const AdapterChange change = tuner->setLowLatency(c.portName);
        auto& os = change.outcome == AdapterChange::Outcome::done ? c.inv.out : c.inv.err;
        for (const auto& line : change.lines)
            os << line << '\n';
        return finish(change.outcome == AdapterChange::Outcome::done ? kExitOk : kExitRefused);
    }
    PrintingObserver observer(c.inv);
    LinkSession session(link->port(), link->clock(), observer);
    const int rc = runSession(c.inv, *link, session, c.request(LinkMode::identify));
    const auto median = session.roundTrip().median();
    if (!median) {
        c.inv.err << "Czas odpowiedzi modułu: nie zmierzono (moduł nie odpowiedział)\n";
        return finish(kExitRefused);
    }
    c.inv.out << "Czas odpowiedzi modułu: " << millisecondsText(*median) << " (łącze potrzebuje "
              << millisecondsText(kLineRoundTrip) << ")\n";
    if (const auto hint = latencyHint(*median, adapter))
        for (const auto& line : hint->lines)
            c.inv.out << line << '\n';
    return finish(rc);
}

// The ports, one a line; with --verbose each with what the system says of its adapter and
// whether this user may open it, and the adapters that have no port.
int cmdPorts(const Invocation& inv) {
    bool verbose = false;
    for (std::size_t k = 1; k < inv.args.size(); ++k) {
        if (inv.args[k] != "--verbose") {
            inv.err << "Błędna opcja: " << inv.args[k] << '\n';
            return kExitUsage;
        }
        verbose = true;
    }
#if defined(QVPROG_HAVE_SYSTEM_PORTS)
    const PortInventory inventory = makeSystemPortCatalog()->inventory();
    for (const auto& port : inventory.ports) {
        inv.out << port.name << '\n';
        if (!verbose) continue;
        inv.out << "  " << portEntryDescription(port) << '\n';
        if (!port.stableName.empty()) inv.out << "  stała nazwa: " << port.stableName << '\n';
        inv.out << "  dostęp: " << portAccessText(inspectSystemPort(port.name, &inventory)) << '\n';
    }
    if (!verbose) return kExitOk;
    if (inventory.ports.empty()) inv.out << "Nie znaleziono portów szeregowych.\n";
    for (const auto& adapter : inventory.withoutDriver) {
        inv.out << "Bez portu: " << unusableAdapterDescription(adapter) << '\n';
        if (!adapter.remedy.empty()) inv.out << "  " << adapter.remedy << '\n';
    }
#else
    if (verbose) inv.out << "Ten program nie obsługuje portów szeregowych.\n";
#endif
    return kExitOk;
}

} // namespace

std::optional<int> runDeviceCommand(const Invocation& inv) {
    struct Command {
        std::size_t positional; // exact count; events takes 0 or 1
        std::function<int(Context&)> run;
    };
    static const std::map<std::string, Command> commands = {
        {"identify", {0, [](Context& c) { return cmdSimple(c, LinkMode::identify); }}},
        {"erase", {0, [](Context& c) { return cmdSimple(c, LinkMode::erasePassword); }}},
        {"read", {1, cmdRead}},
        {"write", {1, cmdWrite}},
        {"events", {0, cmdEvents}},
        {"counters", {0, cmdCounters}},
        {"firmware", {1, cmdFirmware}},
        {"adapter", {1, cmdAdapter}},
    };
    const std::string& name = inv.args[0];
    if (name == "ports") return cmdPorts(inv);
    const auto it = commands.find(name);
    if (it == commands.end()) return std::nullopt;
    auto options = parseOptions(inv);
    if (!options) return kExitUsage;
    const std::size_t count = options->positional.size();
    const bool countOk = name == "events" ? count <= 1 : count == it->second.positional;
    if (!countOk) {
        inv.err << "Błędne argumenty polecenia " << name << '\n';
        return kExitUsage;
    }
    if ((options->lowLatency || options->wait) && name != "adapter") {
        inv.err << "Opcje --low-latency i --wait działają tylko z poleceniem adapter\n";
        return kExitUsage;
    }
    if (name == "adapter") {
        if (options->port) {
            inv.err << "Polecenie adapter bierze port jako argument, bez --port\n";
            return kExitUsage;
        }
        options->port = options->positional[0];
    }
    if (options->noArchive && name != "read" && name != "write") {
        inv.err << "Opcja --no-archive działa tylko z poleceniami read i write\n";
        return kExitUsage;
    }
    if (options->readback && name != "write") {
        inv.err << "Opcja --readback działa tylko z poleceniem write\n";
        return kExitUsage;
    }
    if (options->password && utf8Length(*options->password) > 4) {
        inv.err << "Hasło ma najwyżej 4 znaki\n";
        return kExitUsage;
    }
    Context context(inv, std::move(*options));
    return it->second.run(context);
}

std::vector<std::string> deviceCommandUsage() {
    return {
        "ports [--verbose]                         porty szeregowe, jeden w wierszu (z opisem",
        "                                          adapterów i prawem dostępu do każdego portu)",
        "identify [--port NAZWA]                   identyfikacja modułu",
        "erase [--port NAZWA]                      kasowanie hasła, konfiguracji i zdarzeń",
        "read WYJ [--port NAZWA] [--password H] [--no-archive]",
        "                                          odczyt konfiguracji do pliku .qvx/.bCFG",
        "write WEJ [--port NAZWA] [--password H] [--no-verify] [--readback] [--no-archive]",
        "                                          programowanie konfiguracji (z odczytem "
        "kontrolnym)",
        "                                          read i write zapisują konfigurację w archiwum;",
        "                                          --no-archive: bez wpisu w archiwum",
        "events [WYJ.txt] [--raw PLIK] [--port NAZWA] [--password H]   bufor zdarzeń",
        "counters [--write a,b,c,d,e] [--port NAZWA]   liczniki wejść",
        "firmware PLIK.bin [--port NAZWA]          aktualizacja firmware",
        "adapter PORT [--low-latency] [--wait]     adapter USB portu i czas odpowiedzi modułu;",
        "                                          --low-latency: opóźnienie adaptera 1 ms",
        "  port sim[:opcje] to wbudowany symulowany moduł (zob. README)",
    };
}

} // namespace qv::cli
