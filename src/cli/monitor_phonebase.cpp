// The phone base of up to 4000 control numbers: read from the module into a .PHBINI file, or
// written to the module from one.
#include "cli/monitor_phonebase.hpp"

#include "cli/port_link.hpp"
#include "common/file_io.hpp"
#include "config/config_document.hpp"
#include "link/link_session.hpp"
#include "link/port_names.hpp"
#include "tools/phone_base.hpp"
#include "tools/phone_base_file.hpp"

#include <algorithm>
#include <ostream>

namespace qv::cli {

namespace {

struct PhoneBaseArgs {
    bool write = false;
    std::string file;
    std::optional<std::string> port;
    std::string password;
};

std::optional<PhoneBaseArgs> parseArgs(const std::vector<std::string>& args) {
    if (args.size() < 3 || (args[1] != "read" && args[1] != "write")) return std::nullopt;
    PhoneBaseArgs a;
    a.write = args[1] == "write";
    for (std::size_t i = 2; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        if (args[i] == "--port" && hasValue)
            a.port = args[++i];
        else if (args[i] == "--password" && hasValue)
            a.password = args[++i];
        else if (args[i].starts_with("--") || !a.file.empty())
            return std::nullopt;
        else
            a.file = args[i];
    }
    if (a.file.empty()) return std::nullopt;
    return a;
}

// One readPhoneBase or writePhoneBase session; the image is sent from or read into bytes.
int runSession(const Invocation& inv, const PhoneBaseArgs& a, const std::string& portName,
               bool reverseReset, PhoneBaseImage& image) {
    auto link = openPortLink(inv, portName);
    if (!link) return kExitUsage;
    PrintingObserver observer(inv);
    LinkSession session(link->port(), link->clock(), observer);
    SessionRequest r;
    r.mode = a.write ? LinkMode::writePhoneBase : LinkMode::readPhoneBase;
    r.portName = link->openName(portName);
    r.password = a.password;
    r.transferLength = static_cast<int>(kPhoneBaseImageSize);
    r.reverseReset = reverseReset;
    if (a.write) session.phoneBase().assign(image.bytes.begin(), image.bytes.end());
    session.run(r);
    explainPortFailure(inv, session);
    if (!link->saveState(inv)) return kExitRefused;
    if (session.sessionResult() != 1) return kExitRefused;
    if (!a.write) {
        const auto got = PhoneBaseImage::fromBytes(session.phoneBase());
        if (!got) return kExitRefused;
        image = *got;
    }
    return kExitOk;
}

} // namespace

int runPhoneBaseCommand(const Invocation& inv) {
    const auto a = parseArgs(inv.args);
    if (!a) {
        inv.err << "Użycie: phonebase read|write [--port PORT] [--password H] PLIK.PHBINI\n";
        return kExitUsage;
    }
    SystemClock clock;
    ConfigDocument doc(clock, inv.exeDir);
    startDocument(inv, doc, kDefaultPortName);
    const std::string portName = commandPortName(inv, a->port, doc.programSettings().portName);
    const bool reverseReset = doc.programSettings().reverseReset;

    PhoneBaseTable table;
    PhoneBaseImage image = PhoneBaseImage::empty();
    if (a->write) {
        const auto loaded = loadPhoneBaseFile(a->file, table);
        if (!loaded.ok) {
            inv.err << loaded.message << '\n';
            return kExitRefused;
        }
        if (const int bad = countShortNumbers(table); bad != 0) {
            inv.err << shortNumbersMessage(bad) << '\n';
            return kExitRefused;
        }
        const auto encoded = encodePhoneBase(table, image);
        if (!encoded.ok) {
            inv.err << encoded.message << '\n';
            return kExitRefused;
        }
        return runSession(inv, *a, portName, reverseReset, image);
    }

    const int rc = runSession(inv, *a, portName, reverseReset, image);
    if (rc != kExitOk) return rc;
    if (!isValidReadImage(image)) {
        inv.err << kPhoneBaseReadInvalidMessage << '\n';
        return kExitRefused;
    }
    // The descriptions live only in the file: those of an existing file are kept.
    if (fileExists(a->file)) loadPhoneBaseFile(a->file, table);
    decodePhoneBase(image, table);
    const auto saved = savePhoneBaseFile(a->file, table);
    (saved.ok ? inv.out : inv.err) << saved.message << '\n';
    if (saved.ok) inv.out << "Zajete pozycje: " << occupiedText(occupiedRows(table)) << '\n';
    return saved.ok ? kExitOk : kExitRefused;
}

} // namespace qv::cli
