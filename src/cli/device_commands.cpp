// Device commands: sessions with a module over a serial port or the built-in simulated module.
#include "cli/cli_commands.hpp"

#include "common/clock.hpp"
#include "common/cp1250.hpp"
#include "config/config_document.hpp"
#include "link/link_session.hpp"
#include "link/port_names.hpp"
#include "sim/sim_setup.hpp"

#if defined(QVPROG_HAVE_QTPORT)
#include "qtport/qt_serial_port.hpp"
#endif
#if __has_include("monitor/event_history.hpp")
#include "monitor/event_history.hpp"
#define QVPROG_HAVE_HISTORY 1
#endif

#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>

namespace qv::cli {

namespace {

struct Options {
    std::vector<std::string> positional;
    std::optional<std::string> port;
    std::optional<std::string> password;
    std::optional<std::string> raw;
    std::optional<std::string> counters; // --write a,b,c,d,e
    bool noVerify = false;
};

// Nothing when an option is unknown or lacks its value.
std::optional<Options> parseOptions(const Invocation& inv) {
    Options o;
    const auto& a = inv.args;
    for (std::size_t k = 1; k < a.size(); ++k) {
        auto value = [&](std::optional<std::string>& field) {
            if (k + 1 >= a.size()) return false;
            field = a[++k];
            return true;
        };
        bool ok = true;
        if (a[k] == "--port")
            ok = value(o.port);
        else if (a[k] == "--password")
            ok = value(o.password);
        else if (a[k] == "--raw")
            ok = value(o.raw);
        else if (a[k] == "--write")
            ok = value(o.counters);
        else if (a[k] == "--no-verify")
            o.noVerify = true;
        else if (a[k].starts_with("--"))
            ok = false;
        else
            o.positional.push_back(a[k]);
        if (!ok) {
            inv.err << "Błędna opcja: " << a[k] << '\n';
            return std::nullopt;
        }
    }
    return o;
}

class PrintingObserver final : public LinkObserver {
  public:
    explicit PrintingObserver(const Invocation& inv) : inv_(inv) {}
    void logLine(const std::string& text) override { inv_.out << text << '\n'; }
    void messageBox(const std::string& text) override { inv_.err << text << '\n'; }

  private:
    const Invocation& inv_;
};

// The port a command talks through, with the clock the session uses on it.
struct Link {
    std::unique_ptr<SimSetup> sim;
    std::unique_ptr<SerialPort> real;
    SystemClock systemClock;
    SerialPort& port() { return sim ? sim->port() : *real; }
    Clock& clock() { return sim ? sim->clock() : static_cast<Clock&>(systemClock); }
};

std::optional<Link> openLink(const Invocation& inv, const std::string& portName) {
    Link link;
    if (isSimPortName(portName)) {
        std::string error;
        const auto spec = parseSimPortSpec(portName, error);
        if (spec) link.sim = SimSetup::create(*spec, error);
        if (!link.sim) {
            inv.err << error << '\n';
            return std::nullopt;
        }
        return link;
    }
#if defined(QVPROG_HAVE_QTPORT)
    link.real = makeQtSerialPort();
    return link;
#else
    inv.err << "Ten program nie obsługuje portów szeregowych (brak Qt SerialPort)\n";
    return std::nullopt;
#endif
}

std::string absolutePath(const std::string& p) {
    std::error_code ec;
    const auto a = std::filesystem::absolute(p, ec);
    return ec ? p : a.lexically_normal().string();
}

void printMessages(const Invocation& inv, const std::vector<UserMessage>& messages) {
    for (const auto& m : messages)
        (m.icon == UserMessage::Icon::Error ? inv.err : inv.out) << m.text << '\n';
}

// Runs one session; the simulated module's memory is saved afterwards.
int runSession(const Invocation& inv, Link& link, LinkSession& session, SessionRequest r) {
    r.portName = link.sim ? "sim" : r.portName;
    session.run(r);
    if (link.sim) {
        std::string error;
        if (!link.sim->saveState(error)) {
            inv.err << error << '\n';
            return kExitRefused;
        }
    }
    return session.sessionResult() == 1 ? kExitOk : kExitRefused;
}

struct Context {
    const Invocation& inv;
    Options options;
    std::string portName;
    SystemClock clock;
    ConfigDocument doc;
    Context(const Invocation& i, Options o) : inv(i), options(std::move(o)), doc(clock, i.exeDir) {
        doc.startUp(kDefaultPortName);
        portName = options.port.value_or(doc.programSettings().portName);
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

int withSession(Context& c, const std::function<int(Link&, LinkSession&)>& body) {
    auto link = openLink(c.inv, c.portName);
    if (!link) return kExitUsage;
    PrintingObserver observer(c.inv);
    LinkSession session(link->port(), link->clock(), observer);
    return body(*link, session);
}

int cmdSimple(Context& c, LinkMode mode) {
    return withSession(
        c, [&](Link& link, LinkSession& s) { return runSession(c.inv, link, s, c.request(mode)); });
}

int cmdRead(Context& c) {
    return withSession(c, [&](Link& link, LinkSession& s) {
        const int rc = runSession(c.inv, link, s, c.request(LinkMode::readConfig));
        if (rc != kExitOk) return rc;
        printMessages(c.inv, c.doc.takeReadImage(s.configImage()));
        const SaveResult saved = c.doc.saveFile(absolutePath(c.options.positional[0]));
        printMessages(c.inv, saved.messages);
        return saved.saved ? kExitOk : kExitRefused;
    });
}

int cmdWrite(Context& c) {
    const OpenResult opened = c.doc.openFile(absolutePath(c.options.positional[0]));
    printMessages(c.inv, opened.messages);
    if (!opened.opened) return kExitRefused;
    // --password stands for the password confirmation: it replaces the configuration's one,
    // so the image sent carries it too.
    if (c.options.password) c.doc.settings().password = *c.options.password;
    c.doc.form2tab();
    return withSession(c, [&](Link& link, LinkSession& s) {
        s.configImage() = c.doc.image();
        SessionRequest r = c.request(LinkMode::writeConfig);
        r.password = c.doc.settings().password;
        r.verify = !c.options.noVerify;
        return runSession(c.inv, link, s, r);
    });
}

int cmdEvents(Context& c) {
#if !defined(QVPROG_HAVE_HISTORY)
    if (!c.options.positional.empty()) {
        c.inv.err << "Zapis historii do pliku tekstowego nie jest jeszcze dostępny; użyj --raw\n";
        return kExitUsage;
    }
#endif
    return withSession(c, [&](Link& link, LinkSession& s) {
        const int rc = runSession(c.inv, link, s, c.request(LinkMode::readEvents));
        if (rc != kExitOk) return rc;
        c.inv.out << "eventPosition: " << int(s.statusBytes().eventPosition) << '\n';
        const auto& events = s.eventBuffer();
        if (c.options.raw) {
            std::ofstream out(*c.options.raw, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(events.data()),
                      static_cast<std::streamsize>(events.size()));
            if (!out.flush()) {
                c.inv.err << "Błąd zapisu: " << *c.options.raw << '\n';
                return kExitRefused;
            }
        }
#if defined(QVPROG_HAVE_HISTORY)
        if (!c.options.positional.empty()) {
            HistoryTable table;
            table.fill(events, s.statusBytes().eventPosition);
            const auto lines = historyFileLines(table, s.identity().modelString,
                                                s.identity().serialNumber, c.clock.localTime());
            if (!writeHistoryFile(c.options.positional[0], lines)) {
                c.inv.err << kHistorySaveErrorMessage << '\n';
                return kExitRefused;
            }
            c.inv.out << kHistorySavedMessage << '\n';
        }
#endif
        return kExitOk;
    });
}

int cmdCounters(Context& c) {
    if (!c.options.counters) return cmdSimple(c, LinkMode::readCounters);
    SessionRequest r = c.request(LinkMode::writeCounters);
    std::stringstream list(*c.options.counters);
    std::string item;
    std::size_t n = 0;
    while (std::getline(list, item, ',')) {
        if (n == r.counterTexts.size()) break;
        r.counterTexts[n++] = item;
    }
    if (n != r.counterTexts.size() || std::getline(list, item, ',')) {
        c.inv.err << "Podaj pięć wartości liczników: --write a,b,c,d,e\n";
        return kExitUsage;
    }
    return withSession(c,
                       [&](Link& link, LinkSession& s) { return runSession(c.inv, link, s, r); });
}

int cmdFirmware(Context& c) {
    return withSession(c, [&](Link& link, LinkSession& s) {
        s.setFirmwareFile(absolutePath(c.options.positional[0]));
        return runSession(c.inv, link, s, c.request(LinkMode::uploadFirmware));
    });
}

int cmdPorts(const Invocation& inv) {
#if defined(QVPROG_HAVE_QTPORT)
    for (const auto& name : listPortNames())
        inv.out << name << '\n';
#else
    (void)inv;
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
    if (options->password && utf8Length(*options->password) > 4) {
        inv.err << "Hasło ma najwyżej 4 znaki\n";
        return kExitUsage;
    }
    Context context(inv, std::move(*options));
    return it->second.run(context);
}

std::vector<std::string> deviceCommandUsage() {
    return {
        "ports                                     porty szeregowe, jeden w wierszu",
        "identify [--port NAZWA]                   identyfikacja modułu",
        "erase [--port NAZWA]                      kasowanie hasła, konfiguracji i zdarzeń",
        "read WYJ [--port NAZWA] [--password H]    odczyt konfiguracji do pliku .qvx/.bCFG",
        "write WEJ [--port NAZWA] [--password H] [--no-verify]   programowanie konfiguracji",
        "events [WYJ.txt] [--raw PLIK] [--port NAZWA] [--password H]   bufor zdarzeń",
        "counters [--write a,b,c,d,e] [--port NAZWA]   liczniki wejść",
        "firmware PLIK.bin [--port NAZWA]          aktualizacja firmware",
        "  port sim[:opcje] to wbudowany symulowany moduł (zob. README)",
    };
}

} // namespace qv::cli
