// qvprog-cli commands of the monitor and the tools: monitor, history, events, sms, phonebase.
#include "cli/cli_commands.hpp"
#include "cli/monitor_display.hpp"

#include "common/clock.hpp"
#include "common/text_format.hpp"
#include "monitor/monitor_model.hpp"

#include <fstream>
#include <ostream>

namespace qv::cli {

namespace {

constexpr std::size_t kReplayBatch = 64;

std::string jsonText(const nlohmann::json& j) {
    return j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

struct MonitorArgs {
    std::string port;
    std::string replay;
    int seconds = 0; // 0: until the port closes or the process is stopped
    bool json = false;
};

std::optional<MonitorArgs> parseMonitorArgs(const std::vector<std::string>& args) {
    MonitorArgs a;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--json") {
            a.json = true;
        } else if (arg == "--port" && hasValue) {
            a.port = args[++i];
        } else if (arg == "--replay" && hasValue) {
            a.replay = args[++i];
        } else if (arg == "--seconds" && hasValue) {
            const auto n = parseInt(args[++i]);
            if (!n || *n < 0) return std::nullopt;
            a.seconds = *n;
        } else {
            return std::nullopt;
        }
    }
    if (a.port.empty() == a.replay.empty()) return std::nullopt; // exactly one source
    return a;
}

int runReplay(const Invocation& inv, const MonitorArgs& a) {
    std::ifstream f(a.replay, std::ios::binary);
    if (!f) {
        inv.err << "Błąd odczytu pliku: " << a.replay << '\n';
        return kExitUsage;
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
    if (a.json) {
        inv.out << jsonText(monitorStateJson(model)) << '\n';
    } else {
        for (const auto& line : monitorStateLines(model))
            inv.out << line << '\n';
    }
    return kExitOk;
}

int runMonitor(const Invocation& inv) {
    const auto a = parseMonitorArgs(inv.args);
    if (!a) {
        inv.err << "Użycie: " << monitorCommandUsage()[0] << '\n'
                << "        " << monitorCommandUsage()[1] << '\n';
        return kExitUsage;
    }
    if (!a->replay.empty()) return runReplay(inv, *a);
    inv.err << "Monitor na porcie nie jest dostępny w tej wersji\n";
    return kExitRefused;
}

} // namespace

std::optional<int> runMonitorCommand(const Invocation& inv) {
    const std::string& cmd = inv.args[0];
    if (cmd == "monitor") return runMonitor(inv);
    return std::nullopt;
}

std::vector<std::string> monitorCommandUsage() {
    return {
        "monitor --port PORT [--seconds N] [--json]   podgląd pracy modułu",
        "monitor --replay PLIK [--json]               stan monitora po bajtach z pliku",
    };
}

} // namespace qv::cli
