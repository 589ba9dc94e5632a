// diff: what differs between two configurations, each a file or the module on a port.
#include "cli/cli_commands.hpp"
#include "cli/port_link.hpp"

#include "common/clock.hpp"
#include "common/cp1250.hpp"
#include "config/config_document.hpp"
#include "link/link_session.hpp"
#include "link/port_names.hpp"
#include "tools/config_compare.hpp"

#include <nlohmann/json.hpp>

#include <memory>
#include <ostream>

namespace qv::cli {

namespace {

constexpr const char* kModule = "module";
// Bytes of a range shown on its line; a longer range ends with "...".
constexpr std::size_t kShownBytes = 16;

struct DiffOptions {
    std::vector<std::string> sources;
    std::optional<std::string> port;
    std::string password;
    bool json = false;
};

std::optional<DiffOptions> parseDiffOptions(const Invocation& inv) {
    DiffOptions o;
    const auto& a = inv.args;
    for (std::size_t k = 1; k < a.size(); ++k) {
        const bool hasValue = k + 1 < a.size();
        if (a[k] == "--json") {
            o.json = true;
        } else if (a[k] == "--port" && hasValue) {
            o.port = a[++k];
        } else if (a[k] == "--password" && hasValue) {
            o.password = a[++k];
        } else if (a[k].starts_with("--")) {
            inv.err << "Błędna opcja: " << a[k] << '\n';
            return std::nullopt;
        } else {
            o.sources.push_back(a[k]);
        }
    }
    if (o.sources.size() != 2) {
        inv.err << "Błędne argumenty polecenia diff\n";
        return std::nullopt;
    }
    if (o.sources[0] == kModule && o.sources[1] == kModule) {
        inv.err << "Tylko jedna strona porównania może być modułem\n";
        return std::nullopt;
    }
    if (utf8Length(o.password) > 4) {
        inv.err << "Hasło ma najwyżej 4 znaki\n";
        return std::nullopt;
    }
    return o;
}

// Errors and warnings (values the module would receive cut) go to standard error.
void printErrors(const Invocation& inv, const std::vector<UserMessage>& messages) {
    for (const auto& m : messages)
        if (m.icon == UserMessage::Icon::Error || m.icon == UserMessage::Icon::Warning)
            inv.err << m.text << '\n';
}

// Reads the module's configuration into doc in one readConfig session; the link log goes to
// standard error, since standard output carries the differences.
bool readModule(const Invocation& inv, const DiffOptions& o, ConfigDocument& doc) {
    const Invocation logTo{inv.args,        inv.err,         inv.err,     inv.exeDir,
                           inv.settingsDir, inv.archivePath, inv.userName};
    const std::string portName = commandPortName(logTo, o.port, doc.programSettings().portName);
    auto link = openPortLink(logTo, portName);
    if (!link) return false;
    PrintingObserver observer(logTo);
    LinkSession session(link->port(), link->clock(), observer);
    SessionRequest r;
    r.mode = LinkMode::readConfig;
    r.portName = link->openName(portName);
    r.password = o.password;
    r.reverseReset = doc.programSettings().reverseReset;
    session.run(r);
    explainPortFailure(logTo, session);
    if (!link->saveState(logTo) || session.sessionResult() != 1) return false;
    printErrors(inv, doc.takeReadImage(session.configImage()));
    return true;
}

// A document holding the source: a file opened by the open rules, or the module.
std::unique_ptr<ConfigDocument> load(const Invocation& inv, const DiffOptions& o,
                                     const std::string& source, const Clock& clock) {
    auto doc = std::make_unique<ConfigDocument>(clock, inv.exeDir);
    startDocument(inv, *doc, kDefaultPortName);
    if (source == kModule) return readModule(inv, o, *doc) ? std::move(doc) : nullptr;
    const OpenResult r = doc->openFile(absolutePath(source));
    printErrors(inv, r.messages);
    return r.opened ? std::move(doc) : nullptr;
}

std::string shown(const std::string& value) {
    return value.empty() ? "\"\"" : value;
}

void printJson(const Invocation& inv, const DiffOptions& o,
               const std::vector<SettingDifference>& settings, const std::vector<ByteRange>& ranges,
               const ConfigImage& a, const ConfigImage& b) {
    nlohmann::ordered_json doc;
    doc["a"] = o.sources[0];
    doc["b"] = o.sources[1];
    doc["same"] = settings.empty() && ranges.empty();
    doc["settings"] = nlohmann::ordered_json::array();
    for (const auto& d : settings)
        doc["settings"].push_back(
            {{"key", d.key}, {"label", d.label}, {"a", d.valueA}, {"b", d.valueB}});
    doc["image"] = nlohmann::ordered_json::array();
    const std::size_t all = ConfigImage::kSize;
    for (const auto& r : ranges)
        doc["image"].push_back({{"first", r.first},
                                {"last", r.last},
                                {"a", hexBytes(a, r, all)},
                                {"b", hexBytes(b, r, all)}});
    inv.out << doc.dump(2) << '\n';
}

} // namespace

void printDifferences(const Invocation& inv, const std::vector<SettingDifference>& settings,
                      const std::vector<ByteRange>& ranges, const ConfigImage& a,
                      const ConfigImage& b) {
    for (const auto& d : settings)
        inv.out << d.key << ": " << shown(d.valueA) << " -> " << shown(d.valueB) << "  (" << d.label
                << ")\n";
    for (const auto& r : ranges)
        inv.out << "Obraz " << rangeText(r) << ": " << hexBytes(a, r, kShownBytes) << " -> "
                << hexBytes(b, r, kShownBytes) << '\n';
}

std::optional<int> runDiffCommand(const Invocation& inv) {
    if (inv.args[0] != "diff") return std::nullopt;
    const auto options = parseDiffOptions(inv);
    if (!options) return kExitUsage;
    SystemClock clock;
    const auto a = load(inv, *options, options->sources[0], clock);
    if (!a) return kExitUsage;
    const auto b = load(inv, *options, options->sources[1], clock);
    if (!b) return kExitUsage;
    const auto settings = compareSettings(a->settings(), b->settings());
    const auto ranges = compareImages(a->image(), b->image());
    if (options->json)
        printJson(inv, *options, settings, ranges, a->image(), b->image());
    else
        printDifferences(inv, settings, ranges, a->image(), b->image());
    return settings.empty() && ranges.empty() ? kExitOk : kExitRefused;
}

std::vector<std::string> diffCommandUsage() {
    return {
        "diff A B [--json] [--port NAZWA] [--password H]   różnice dwóch konfiguracji; A i B to",
        "                                          pliki .qvx/.bCFG albo module (odczyt z portu)",
    };
}

} // namespace qv::cli
