// archive: the configurations read from modules and written to them, kept by read and write.
#include "cli/cli_commands.hpp"

#include "archive/archive_export.hpp"
#include "archive/archive_text.hpp"
#include "archive/config_archive.hpp"
#include "common/clock.hpp"
#include "common/cp1250.hpp"
#include "common/file_io.hpp"
#include "config/config_file.hpp"
#include "config/messages.hpp"
#include "link/port_names.hpp"

#include <charconv>
#include <functional>
#include <map>
#include <ostream>

namespace qv::cli {

namespace {

// A field of a list line: tabs and line breaks a stored text may hold would break the line.
std::string field(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    return text;
}

std::optional<std::int64_t> entryId(const Invocation& inv, const std::string& text) {
    std::int64_t id = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), id);
    if (ec != std::errc() || end != text.data() + text.size() || id <= 0) {
        inv.err << "Błędny numer wpisu: " << text << '\n';
        return std::nullopt;
    }
    return id;
}

// The archive to read; nothing, with the reason printed, when it cannot be read. A missing
// file is an empty archive.
struct Reader {
    std::unique_ptr<ConfigArchive> archive;
    bool ok = false;
};
Reader openForReading(const Invocation& inv) {
    auto opened = ConfigArchive::open(inv.archivePath, ConfigArchive::Access::existing);
    if (!opened.archive && !opened.missing) {
        inv.err << archiveReadMessage(opened.problem) << '\n';
        return {};
    }
    return {std::move(opened.archive), true};
}

// One entry in full; nothing, with the reason printed, when it is not there.
std::optional<ArchiveEntry> loadEntry(const Invocation& inv, Reader& r, std::int64_t id) {
    if (r.archive) {
        auto got = r.archive->entry(id);
        if (!got.ok()) {
            inv.err << archiveReadMessage(got.problem) << '\n';
            return std::nullopt;
        }
        if (got.value) return std::move(*got.value);
    }
    inv.err << "Nie ma wpisu " << id << " w archiwum\n";
    return std::nullopt;
}

// A document holding the entry's configuration, as if it had just been read from the module.
std::unique_ptr<ConfigDocument> documentOf(const Invocation& inv, const Clock& clock,
                                           const ArchiveEntry& entry) {
    auto doc = std::make_unique<ConfigDocument>(clock, inv.exeDir);
    startDocument(inv, *doc, kDefaultPortName);
    for (const auto& m : doc->takeReadImage(entry.image))
        if (m.icon == UserMessage::Icon::Error) inv.err << m.text << '\n';
    return doc;
}

int cmdList(const Invocation& inv) {
    Reader r = openForReading(inv);
    if (!r.ok) return kExitRefused;
    if (!r.archive) return kExitOk;
    const auto listed =
        inv.args.size() == 3 ? r.archive->entries(inv.args[2]) : r.archive->allEntries();
    if (!listed.ok()) {
        inv.err << archiveReadMessage(listed.problem) << '\n';
        return kExitRefused;
    }
    for (const auto& e : listed.value)
        inv.out << e.id << '\t' << field(e.time) << '\t' << field(operationText(e)) << '\t'
                << field(e.serialNumber) << '\t' << field(e.siteNumber) << '\t' << field(e.siteName)
                << '\n';
    return kExitOk;
}

// The entry's image as a .bCFG file byte for byte, or its settings as a .qvx file.
int cmdExport(const Invocation& inv) {
    const auto id = entryId(inv, inv.args[2]);
    if (!id) return kExitUsage;
    Reader r = openForReading(inv);
    if (!r.ok) return kExitRefused;
    const auto entry = loadEntry(inv, r, *id);
    if (!entry) return kExitRefused;
    const std::string out = absolutePath(inv.args[3]);
    SystemClock clock;
    ConfigDocument scratch(clock, inv.exeDir);
    startDocument(inv, scratch, kDefaultPortName);
    const SaveResult saved = exportStoredImage(entry->image, out, scratch);
    printMessages(inv, saved.messages);
    return saved.saved ? kExitOk : kExitRefused;
}

// What differs between two entries, as diff prints it, without the password's and the PIN's
// values.
int cmdDiff(const Invocation& inv) {
    const auto idA = entryId(inv, inv.args[2]);
    const auto idB = entryId(inv, inv.args[3]);
    if (!idA || !idB) return kExitUsage;
    Reader r = openForReading(inv);
    if (!r.ok) return kExitRefused;
    const auto a = loadEntry(inv, r, *idA);
    if (!a) return kExitRefused;
    const auto b = loadEntry(inv, r, *idB);
    if (!b) return kExitRefused;
    SystemClock clock;
    const auto docA = documentOf(inv, clock, *a);
    const auto docB = documentOf(inv, clock, *b);
    auto settings = compareSettings(docA->settings(), docB->settings());
    hideSecretValues(settings);
    const auto ranges = compareImages(a->image, b->image);
    printDifferences(inv, settings, ranges, a->image, b->image);
    return settings.empty() && ranges.empty() ? kExitOk : kExitRefused;
}

int cmdNote(const Invocation& inv) {
    const auto id = entryId(inv, inv.args[2]);
    if (!id) return kExitUsage;
    const std::string& note = inv.args[3];
    if (!isUtf8(note)) {
        inv.err << "Notatka nie jest tekstem UTF-8\n";
        return kExitUsage;
    }
    Reader r = openForReading(inv);
    if (!r.ok) return kExitRefused;
    if (r.archive) {
        const auto changed = r.archive->setNote(*id, note);
        if (!changed.ok()) {
            inv.err << archiveNoteMessage(changed.problem) << '\n';
            return kExitRefused;
        }
        if (changed.value) return kExitOk;
    }
    inv.err << "Nie ma wpisu " << *id << " w archiwum\n";
    return kExitRefused;
}

struct Command {
    std::size_t minArgs; // after "archive NAME"
    std::size_t maxArgs;
    std::function<int(const Invocation&)> run;
};

} // namespace

std::optional<int> runArchiveCommand(const Invocation& inv) {
    if (inv.args[0] != "archive") return std::nullopt;
    static const std::map<std::string, Command> commands = {
        {"list", {0, 1, cmdList}},
        {"export", {2, 2, cmdExport}},
        {"diff", {2, 2, cmdDiff}},
        {"note", {2, 2, cmdNote}},
    };
    const auto it = inv.args.size() >= 2 ? commands.find(inv.args[1]) : commands.end();
    const std::size_t given = inv.args.size() >= 2 ? inv.args.size() - 2 : 0;
    if (it == commands.end() || given < it->second.minArgs || given > it->second.maxArgs) {
        inv.err << "Błędne argumenty polecenia archive\n";
        for (const auto& line : archiveCommandUsage())
            inv.err << "  " << line << '\n';
        return kExitUsage;
    }
    return it->second.run(inv);
}

std::vector<std::string> archiveCommandUsage() {
    return {
        "archive list [NUMER_SERYJNY]              wpisy archiwum konfiguracji, najnowsze "
        "pierwsze",
        "archive export ID WYJ                     konfiguracja wpisu do pliku .qvx/.bCFG",
        "archive diff ID1 ID2                      różnice konfiguracji dwóch wpisów",
        "archive note ID TEKST                     notatka wpisu",
    };
}

} // namespace qv::cli
