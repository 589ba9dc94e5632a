// Configuration file commands: defaults, convert, dump, info.
#include "cli/cli_commands.hpp"

#include "common/clock.hpp"
#include "config/config_document.hpp"
#include "config/config_image.hpp"
#include "config/messages.hpp"
#include "link/port_names.hpp"

#include <filesystem>
#include <functional>
#include <iostream>
#include <map>

namespace qv::cli {

namespace {

// The log line without its "hh:nn:ss " prefix.
std::string withoutTime(const std::string& line) {
    return line.size() >= 9 ? line.substr(9) : line;
}

struct Session {
    SystemClock clock;
    ConfigDocument doc;
    explicit Session(const Invocation& inv) : doc(clock, inv.exeDir) {
        startDocument(inv, doc, kDefaultPortName);
    }
};

int save(const Invocation& inv, ConfigDocument& doc, const std::string& out) {
    const SaveResult r = doc.saveFile(absolutePath(out));
    printMessages(inv, r.messages);
    return r.saved ? kExitOk : kExitRefused;
}

bool open(const Invocation& inv, ConfigDocument& doc, const std::string& in,
          bool outputIsData = false) {
    OpenResult r = doc.openFile(absolutePath(in));
    // A binary file that carries a history hands it to the history list, which reports it.
    if (r.eventBuffer) r.messages.push_back({UserMessage::Icon::Information, msg::kHistoryOpened});
    printMessages(inv, r.messages, outputIsData);
    return r.opened;
}

int cmdDefaults(const Invocation& inv) {
    Session s(inv);
    return save(inv, s.doc, inv.args[1]);
}

int cmdConvert(const Invocation& inv) {
    Session s(inv);
    if (!open(inv, s.doc, inv.args[1])) return kExitRefused;
    return save(inv, s.doc, inv.args[2]);
}

int cmdDump(const Invocation& inv) {
    Session s(inv);
    if (!open(inv, s.doc, inv.args[1], true)) return kExitRefused;
    s.doc.form2tab();
    for (const auto& line : hexDumpLines(s.doc.image()))
        inv.out << line << '\n';
    return kExitOk;
}

int cmdInfo(const Invocation& inv) {
    Session s(inv);
    const std::size_t before = s.doc.log().lines().size();
    const bool ok = open(inv, s.doc, inv.args[1]);
    const auto& lines = s.doc.log().lines();
    for (std::size_t i = before; i < lines.size(); ++i)
        inv.out << withoutTime(lines[i]) << '\n';
    return ok ? kExitOk : kExitRefused;
}

struct Command {
    std::size_t argCount;
    std::function<int(const Invocation&)> run;
};

const std::map<std::string, Command>& commands() {
    static const std::map<std::string, Command> table = {
        {"defaults", {1, cmdDefaults}},
        {"convert", {2, cmdConvert}},
        {"dump", {1, cmdDump}},
        {"info", {1, cmdInfo}},
    };
    return table;
}

} // namespace

std::optional<int> runConfigCommand(const Invocation& inv) {
    const auto it = commands().find(inv.args[0]);
    if (it == commands().end()) return std::nullopt;
    if (inv.args.size() != it->second.argCount + 1) {
        inv.err << "Złe argumenty polecenia " << inv.args[0] << '\n';
        for (const auto& line : configCommandUsage())
            inv.err << "  " << line << '\n';
        return kExitUsage;
    }
    return it->second.run(inv);
}

std::vector<std::string> configCommandUsage() {
    return {
        "defaults OUT        zapisuje konfigurację domyślną do OUT (.qvx lub .bCFG)",
        "convert IN OUT      otwiera IN i zapisuje jako OUT",
        "dump IN             zrzut szesnastkowy obrazu konfiguracji z IN",
        "info IN             wiersze dziennika zapisane przy otwarciu IN",
    };
}

} // namespace qv::cli
