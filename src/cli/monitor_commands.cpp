// qvprog-cli commands of the monitor and the tools: monitor, history, events, sms, phonebase.
#include "cli/cli_commands.hpp"
#include "cli/monitor_display.hpp"
#include "cli/monitor_phonebase.hpp"
#include "cli/port_link.hpp"

#include "common/clock.hpp"
#include "common/file_io.hpp"
#include "common/text_format.hpp"
#include "config/config_document.hpp"
#include "config/messages.hpp"
#include "link/port_names.hpp"
#include "monitor/event_history.hpp"
#include "monitor/monitor_commands.hpp"
#include "monitor/monitor_model.hpp"
#include "monitor/monitor_replay.hpp"
#include "monitor/qvmon_file.hpp"
#include "tools/sms_listing.hpp"

#include <fstream>
#include <ostream>

namespace qv::cli {

namespace {

constexpr std::size_t kReplayBatch = 64;
constexpr const char* kAppVersionText = msg::kAppVersion;

std::string jsonText(const nlohmann::json& j) {
    return j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

struct MonitorArgs {
    std::string port;
    std::string replay;
    std::string record; // a .qvmon recording of what the module sends
    int seconds = 0;    // 0: until the port closes or the process is stopped
    bool json = false;
    bool restart = false;   // "Restart urządzenia" once the port is open
    bool syncClock = false; // "Synchronizuj czas" once the SIM is ready
};

std::optional<MonitorArgs> parseMonitorArgs(const std::vector<std::string>& args) {
    MonitorArgs a;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--json") {
            a.json = true;
        } else if (arg == "--restart") {
            a.restart = true;
        } else if (arg == "--sync-clock") {
            a.syncClock = true;
        } else if (arg == "--port" && hasValue) {
            a.port = args[++i];
        } else if (arg == "--replay" && hasValue) {
            a.replay = args[++i];
        } else if (arg == "--record" && hasValue) {
            a.record = args[++i];
        } else if (arg == "--seconds" && hasValue) {
            const auto n = parseInt(args[++i]);
            if (!n || *n < 0) return std::nullopt;
            a.seconds = *n;
        } else {
            return std::nullopt;
        }
    }
    if (a.port.empty() == a.replay.empty()) return std::nullopt; // exactly one source
    if (!a.replay.empty() && (a.restart || a.syncClock || !a.record.empty())) return std::nullopt;
    return a;
}

int runReplay(const Invocation& inv, const MonitorArgs& a) {
    // A directory opens as a stream that reads nothing, and a pipe may never end: only a
    // regular file is replayed.
    std::ifstream f;
    const auto path = pathFromUtf8(a.replay);
    if (path && isRegularFile(a.replay)) f.open(*path, std::ios::binary);
    if (!f.is_open()) {
        inv.err << "Błąd odczytu pliku: " << a.replay << '\n';
        return kExitUsage;
    }
    char magic[kQvmonMagic.size()] = {};
    f.read(magic, sizeof magic);
    const bool recording = isQvmon(std::string_view(magic, static_cast<std::size_t>(f.gcount())));
    f.clear();
    f.seekg(0);
    const auto print = [&](const MonitorModel& model) {
        if (a.json) {
            inv.out << jsonText(monitorStateJson(model)) << '\n';
        } else {
            for (const auto& line : monitorStateLines(model))
                inv.out << visibleControls(line) << '\n';
        }
    };
    if (recording) {
        // A recording plays at its recorded times, up to its end or its damage.
        MonitorReplay replay(f);
        if (!replay.valid()) {
            inv.err << replay.damage() << ": " << a.replay << '\n';
            return kExitRefused;
        }
        replay.seek(replay.duration());
        print(replay.model());
        if (!replay.damage().empty()) {
            inv.err << replay.damage() << '\n';
            return kExitRefused;
        }
        return kExitOk;
    }
    SystemClock clock;
    MonitorModel model(clock);
    model.displayReset();
    model.shown();
    char buf[kReplayBatch];
    while (f.read(buf, sizeof buf) || f.gcount() > 0) {
        model.receive(std::string_view(buf, static_cast<std::size_t>(f.gcount())));
        model.takeEffects(); // a replay plays no sound and closes nothing
    }
    print(model);
    return kExitOk;
}

// On the simulated module's virtual clock time costs nothing, so a run needs an end.
constexpr int kVirtualClockSeconds = 60;
constexpr std::size_t kReadPiece = 1000;

// The live monitor on a port: prints every line-log line as it comes and every new event (or,
// with --json, the whole display state after every completed line).
int runLive(const Invocation& inv, const MonitorArgs& a) {
    SystemClock wall;
    ConfigDocument doc(wall, inv.exeDir);
    startDocument(inv, doc, kDefaultPortName);
    const bool reverseReset = doc.programSettings().reverseReset;

    auto link = openPortLink(inv, a.port);
    if (!link) return kExitUsage;
    SerialPort& port = link->port();
    Clock& clock = link->clock();
    try {
        port.open(link->openName(a.port));
        port.setReadBufferSize(kMonitorReadBufferSize);
        port.setRts(resetLineReleasedRts(reverseReset));
    } catch (const PortError& e) {
        inv.err << "Błąd otwarcia portu " << a.port << '\n';
        explainPortFailure(inv, portFailureFrom(a.port, e, port.isOpen()));
        port.close();
        return kExitRefused;
    }

    std::unique_ptr<QvmonWriter> recorder;
    const auto recordStart = clock.now();
    if (!a.record.empty()) {
        std::string error;
        recorder =
            QvmonWriter::create(a.record, {kAppVersionText, a.port, clock.localTime()}, error);
        if (!recorder) {
            inv.err << error << '\n';
            port.close();
            return kExitRefused;
        }
    }

    MonitorModel model(clock);
    std::size_t eventsShown = 0;
    model.setLineListener([&](const std::string& logLine, bool fromModule) {
        if (!a.json) {
            // The module's control bytes are shown, not handed to the terminal; the JSON output
            // escapes them as JSON does.
            inv.out << visibleControls(logLine) << '\n';
        } else if (fromModule) {
            nlohmann::json state = monitorStateJson(model);
            state["line"] = logLine;
            inv.out << jsonText(state) << '\n';
        }
    });
    model.displayReset();
    model.shown();
    bool clockSent = false;
    try {
        if (a.restart) restartModule(model, port, clock, reverseReset);
    } catch (const PortError& e) {
        inv.err << "Błąd portu " << a.port << ": " << e.what() << '\n';
        explainPortFailure(inv, portFailureFrom(a.port, e, true));
        return kExitRefused;
    }

    const int seconds = a.seconds > 0 ? a.seconds : (link->realtime ? 0 : kVirtualClockSeconds);
    const auto start = clock.now();
    const auto end = start + std::chrono::seconds(seconds);
    auto nextTick = start + std::chrono::seconds(1);
    std::uint8_t buf[kReadPiece];
    int rc = kExitOk;
    bool stop = false;
    bool badPinStopped = false;
    // The bad-PIN stop: the module is held in reset before the port closes.
    const auto badPinStop = [&] {
        badPinStopped = true;
        try {
            port.setRts(resetLineAssertedRts(reverseReset));
        } catch (const PortError&) {
        }
        inv.err << kBadPinMessage << '\n';
        rc = kExitRefused;
    };
    while (!stop && (seconds == 0 || clock.now() < end)) {
        auto until = nextTick;
        if (seconds > 0 && end < until) until = end;
        try {
            if (port.waitReadable(until - clock.now())) {
                const std::size_t n = port.readAvailable(buf);
                const std::span<const std::uint8_t> got(buf, n);
                if (recorder && n > 0) {
                    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        clock.now() - recordStart);
                    if (!recorder->write(static_cast<std::uint32_t>(ms.count()), got)) {
                        inv.err << "Błąd zapisu pliku: " << a.record << '\n';
                        rc = kExitRefused;
                        break;
                    }
                }
                model.receive(got);
            }
        } catch (const PortError& e) {
            // A port that fails keeps failing (an adapter pulled out): stop rather than spin.
            inv.err << "Błąd portu " << a.port << ": " << e.what() << '\n';
            explainPortFailure(inv, portFailureFrom(a.port, e, true));
            rc = kExitRefused;
            break;
        }
        while (clock.now() >= nextTick) {
            model.tick();
            nextTick += std::chrono::seconds(1);
        }
        if (!a.json) {
            for (; eventsShown < model.events().size(); ++eventsShown)
                inv.out << "event: " << visibleControls(model.events()[eventsShown]) << '\n';
        }
        for (const auto& e : model.takeEffects()) {
            switch (e.kind) {
            case MonitorEffectKind::PlayRing:
                inv.err << "RING\n";
                break;
            case MonitorEffectKind::SilenceMessage:
                inv.err << e.text << '\n';
                model.silenceMessageDismissed();
                break;
            case MonitorEffectKind::CloseForBadPin:
                badPinStop();
                stop = true;
                break;
            default:
                break;
            }
        }
        if (a.syncClock && !clockSent && model.clockSyncEnabled() && !stop) {
            clockSent = true;
            try {
                synchronizeClock(port, clock, clock.localTime(),
                                 [&](const std::string& note) { model.noteLine(note); });
                inv.err << kClockSentMessage << '\n';
            } catch (const PortError& e) {
                inv.err << "Błąd portu " << a.port << ": " << e.what() << '\n';
                explainPortFailure(inv, portFailureFrom(a.port, e, true));
                rc = kExitRefused;
                break;
            }
        }
        inv.out.flush();
    }
    // Whatever ends the monitor, a module that stopped on a wrong PIN is held in reset.
    if (model.badPinFlag() && !badPinStopped) badPinStop();
    port.close();
    if (!link->saveState(inv)) return kExitRefused;
    return rc;
}

int runMonitor(const Invocation& inv) {
    const auto a = parseMonitorArgs(inv.args);
    if (!a) {
        inv.err << "Użycie: " << monitorCommandUsage()[0] << '\n'
                << "        " << monitorCommandUsage()[1] << '\n';
        return kExitUsage;
    }
    if (!a->replay.empty()) return runReplay(inv, *a);
    return runLive(inv, *a);
}

// Opens a configuration file as the main window does; the messages go to standard error, since
// standard output carries the command's data.
bool openConfig(const Invocation& inv, ConfigDocument& doc, const std::string& path,
                OpenResult& result) {
    result = doc.openFile(absolutePath(path));
    for (const auto& m : result.messages)
        inv.err << m.text << '\n';
    return result.opened;
}

int usage(const Invocation& inv) {
    inv.err << "Złe argumenty polecenia " << inv.args[0] << '\n';
    for (const auto& line : monitorCommandUsage())
        inv.err << "  " << line << '\n';
    return kExitUsage;
}

int runSms(const Invocation& inv) {
    if (inv.args.size() != 2) return usage(inv);
    SystemClock clock;
    ConfigDocument doc(clock, inv.exeDir);
    startDocument(inv, doc, "COM1");
    OpenResult opened;
    if (!openConfig(inv, doc, inv.args[1], opened)) return kExitRefused;
    doc.form2tab(); // the listing is made from the window's settings, as converted now
    for (const auto& line : smsListing(doc.image()))
        inv.out << line << '\n';
    return kExitOk;
}

// Prints the history file's lines, or writes them to outPath.
int emitHistory(const Invocation& inv, const HistoryTable& table, const std::string& firmware,
                const std::string& serial, const LocalDateTime& readDate,
                const std::string& outPath) {
    const auto lines = historyFileLines(table, firmware, serial, readDate);
    if (outPath.empty()) {
        for (const auto& line : lines)
            inv.out << line << '\n';
        return kExitOk;
    }
    if (!writeHistoryFile(outPath, lines)) {
        inv.err << kHistorySaveErrorMessage << '\n';
        return kExitRefused;
    }
    inv.out << kHistorySavedMessage << '\n';
    return kExitOk;
}

int runHistory(const Invocation& inv) {
    if (inv.args.size() != 2 && inv.args.size() != 3) return usage(inv);
    SystemClock clock;
    ConfigDocument doc(clock, inv.exeDir);
    startDocument(inv, doc, "COM1");
    OpenResult opened;
    if (!openConfig(inv, doc, inv.args[1], opened)) return kExitRefused;
    if (!opened.eventBuffer) {
        inv.err << "Plik nie zawiera bufora zdarzeń: " << inv.args[1] << '\n';
        return kExitRefused;
    }
    // As the main window does after opening such a file: fill with the last known position (no
    // session has run, so 0), then sort by time.
    HistoryTable table;
    table.fill(*opened.eventBuffer, 0);
    table.sortByTime();
    inv.err << msg::kHistoryOpened << '\n';
    const std::string name = splitPath(inv.args[1]).name;
    return emitHistory(inv, table, "?", name, clock.localTime(),
                       inv.args.size() == 3 ? inv.args[2] : std::string());
}

} // namespace

std::optional<int> runMonitorCommand(const Invocation& inv) {
    const std::string& cmd = inv.args[0];
    if (cmd == "monitor") return runMonitor(inv);
    if (cmd == "sms") return runSms(inv);
    if (cmd == "history") return runHistory(inv);
    if (cmd == "phonebase") return runPhoneBaseCommand(inv);
    return std::nullopt;
}

std::vector<std::string> monitorCommandUsage() {
    return {
        "monitor --port PORT [--seconds N] [--json] [--restart] [--sync-clock] [--record "
        "PLIK.qvmon]   podgląd pracy modułu",
        "monitor --replay PLIK [--json]               stan monitora po zapisie .qvmon lub bajtach "
        "z pliku",
        "sms IN                                       konfiguracja z IN jako SMSy konfiguracyjne",
        "history IN.bCFG [OUT.txt]                    historia zdarzeń z pliku binarnego 13123 B",
        "phonebase read [--port PORT] [--password H] OUT.PHBINI   baza 4000 numerów z modułu",
        "phonebase write [--port PORT] [--password H] IN.PHBINI   baza 4000 numerów do modułu",
    };
}

} // namespace qv::cli
