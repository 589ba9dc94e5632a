// sms-send: the commands that change a module's configuration, sent as SMS through a GSM modem,
// each message's state kept so that a stopped batch can be resumed.
#include "cli/cli_commands.hpp"

#include "archive/sms_batch_archive.hpp"
#include "common/clock.hpp"
#include "common/file_io.hpp"
#include "link/port_names.hpp"
#include "sim/sim_modem.hpp"
#include "sms/sms_batch.hpp"
#include "sms/sms_sender.hpp"

#if defined(QVPROG_HAVE_SYSTEM_PORTS)
#include "platform/system_port.hpp"
#endif

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <memory>
#include <ostream>

namespace qv::cli {

namespace {

constexpr const char* kBatchFileName = "sms-batches.json";
constexpr int kMaxIntervalSeconds = 3600;

struct SmsOptions {
    std::vector<std::string> positional;
    std::optional<std::string> to;
    std::optional<std::string> modem;
    std::optional<std::string> base;
    std::optional<std::string> archiveEntry;
    std::optional<std::string> archiveSerial;
    std::optional<std::string> pin;
    std::optional<std::string> interval;
    std::optional<std::string> unknown;
    std::optional<std::string> batchFile;
    bool all = false;
    bool dryRun = false;
    bool resume = false;
    bool fresh = false; // --new
};

std::optional<SmsOptions> parseSmsOptions(const Invocation& inv) {
    SmsOptions o;
    if (!readOptions(inv,
                     {{"--to", &o.to},
                      {"--modem", &o.modem},
                      {"--base", &o.base},
                      {"--archive-entry", &o.archiveEntry},
                      {"--archive-serial", &o.archiveSerial},
                      {"--pin", &o.pin},
                      {"--interval", &o.interval},
                      {"--unknown", &o.unknown},
                      {"--batch", &o.batchFile},
                      {"--all", nullptr, &o.all},
                      {"--dry-run", nullptr, &o.dryRun},
                      {"--resume", nullptr, &o.resume},
                      {"--new", nullptr, &o.fresh}},
                     o.positional, true))
        return std::nullopt;
    auto usage = [&](const char* text) {
        inv.err << text << '\n';
        return std::nullopt;
    };
    const int sources =
        (o.base ? 1 : 0) + (o.archiveEntry ? 1 : 0) + (o.archiveSerial ? 1 : 0) + (o.all ? 1 : 0);
    if (o.positional.size() > 1) return usage("Błędne argumenty polecenia sms-send");
    if (!o.positional.empty() && sources != 1)
        return usage("Podaj, co moduł ma teraz: --base PLIK, --archive-entry ID, --archive-serial "
                     "NUMER albo --all");
    if (o.positional.empty() && (sources != 0 || !o.resume))
        return usage("Podaj plik konfiguracji (albo --resume, by dokończyć wysyłkę)");
    if (o.dryRun && (o.resume || o.positional.empty()))
        return usage("Opcja --dry-run pokazuje polecenia zmiany z pliku, bez --resume");
    if (!o.dryRun && (!o.to || !o.modem))
        return usage("Podaj numer modułu (--to) i modem (--modem)");
    if (o.resume && o.fresh) return usage("Opcje --resume i --new wykluczają się");
    if (o.unknown && *o.unknown != "sent" && *o.unknown != "resend")
        return usage("Opcja --unknown przyjmuje sent albo resend");
    if (o.unknown && !o.resume) return usage("Opcja --unknown działa tylko z --resume");
    return o;
}

std::optional<int> intervalSeconds(const std::string& text) {
    int v = -1;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc{} || end != text.data() + text.size() || v < 0 || v > kMaxIntervalSeconds)
        return std::nullopt;
    return v;
}

void printErrors(const Invocation& inv, const std::vector<UserMessage>& messages) {
    for (const auto& m : messages)
        if (m.icon == UserMessage::Icon::Error) inv.err << m.text << '\n';
}

// What the module holds now, when it comes from the archive: the entry's image and the module.
struct ArchiveBase {
    ConfigImage image;
    std::int64_t entryId = 0;
    std::string serialNumber;
};

std::optional<ArchiveBase> archiveBase(const Invocation& inv, const SmsOptions& o) {
    std::optional<ArchiveEntry> found;
    if (o.archiveSerial) {
        ModuleBase base = latestEntryOfModule(inv.archivePath, *o.archiveSerial);
        if (!base.entry) {
            inv.err << base.problem << '\n';
            return std::nullopt;
        }
        found = std::move(base.entry);
    } else {
        std::int64_t id = 0;
        const std::string& t = *o.archiveEntry;
        const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), id);
        if (ec != std::errc{} || end != t.data() + t.size() || id <= 0) {
            inv.err << "Błędny numer wpisu archiwum: " << t << '\n';
            return std::nullopt;
        }
        auto opened = ConfigArchive::open(inv.archivePath, ConfigArchive::Access::existing);
        if (!opened.archive) {
            inv.err << (opened.missing ? "Archiwum konfiguracji jest puste: " + inv.archivePath
                                       : opened.problem)
                    << '\n';
            return std::nullopt;
        }
        auto got = opened.archive->entry(id);
        if (!got.ok() || !got.value) {
            inv.err << (got.ok() ? "Brak wpisu " + t + " w archiwum konfiguracji" : got.problem)
                    << '\n';
            return std::nullopt;
        }
        found = std::move(got.value);
    }
    return ArchiveBase{found->image, found->summary.id, found->summary.serialNumber};
}

// The change from the file's configuration: against the base (a file or an archive entry), or
// the whole listing; target gets what the module holds once every message arrived.
std::optional<SmsChange> changeOf(const Invocation& inv, const SmsOptions& o, std::string& source,
                                  SmsBatchTarget& target) {
    SystemClock clock;
    ConfigDocument doc(clock, inv.exeDir);
    startDocument(inv, doc, kDefaultPortName);
    const OpenResult opened = doc.openFile(absolutePath(o.positional[0]));
    printErrors(inv, opened.messages);
    if (!opened.opened) return std::nullopt;
    // What a write would send.
    doc.form2tab();
    if (o.all) {
        source = o.positional[0] + " (cała konfiguracja)";
        target.image = doc.image();
        return smsWholeConfigurationCommands(doc.image());
    }
    ConfigImage baseImage;
    if (o.base) {
        ConfigDocument base(clock, inv.exeDir);
        startDocument(inv, base, kDefaultPortName);
        const OpenResult baseOpened = base.openFile(absolutePath(*o.base));
        printErrors(inv, baseOpened.messages);
        if (!baseOpened.opened) return std::nullopt;
        source = o.positional[0] + " wobec " + *o.base;
        // The base as the module holds it: the image opened, not converted again.
        baseImage = base.image();
    } else {
        const auto fromArchive = archiveBase(inv, o);
        if (!fromArchive) return std::nullopt;
        source = o.positional[0] + " wobec wpisu archiwum " + std::to_string(fromArchive->entryId);
        baseImage = fromArchive->image;
        target.baseEntry = fromArchive->entryId;
        target.serialNumber = fromArchive->serialNumber;
    }
    SmsChange change = smsChangeCommands(baseImage, doc.image());
    target.image = imageAfterCommands(baseImage, change);
    return change;
}

std::string lineOf(const SmsBatch& b, std::size_t i, bool withState = true) {
    const auto& m = b.messages[i];
    std::string labels;
    for (const auto& l : m.labels)
        labels += (labels.empty() ? "" : ", ") + l;
    std::string line = std::to_string(i + 1) + "/" + std::to_string(b.messages.size()) + " " +
                       labels + ": " + m.command;
    if (withState) line += " – " + smsStateText(m);
    return line;
}

class PrintingSmsObserver final : public SmsBatchObserver {
  public:
    PrintingSmsObserver(const Invocation& inv, std::string port) : inv_(inv), port_(port) {}
    void note(const std::string& text) override { inv_.err << text << '\n'; }
    void messageChanged(const SmsBatch& b, std::size_t i) override {
        inv_.err << "Wiadomość " << i + 1 << '/' << b.messages.size() << ": "
                 << smsStateText(b.messages[i]) << '\n';
    }
    void replyReceived(const SmsReply& r) override {
        inv_.out << "Odpowiedź z " << r.from << " (wysłana " << r.sentAt << ", odebrana "
                 << r.receivedAt << "): " << r.text << '\n';
    }
    void portShared(const std::string& evidence) override {
        inv_.err << "Inny program używa portu modemu " << port_ << " (" << evidence << ")\n";
#if defined(QVPROG_HAVE_SYSTEM_PORTS)
        for (const auto& line : sharedModemPortAdvice(port_))
            inv_.err << line << '\n';
#endif
    }

  private:
    const Invocation& inv_;
    std::string port_;
};

std::string defaultBatchFile(const Invocation& inv) {
    const std::string dir = inv.settingsDir.empty() ? inv.exeDir : inv.settingsDir;
    if (const auto p = pathFromUtf8(dir)) {
        std::error_code ec;
        std::filesystem::create_directories(*p, ec);
    }
    return dir + kBatchFileName;
}

int sendBatch(const Invocation& inv, const SmsOptions& o, SmsBatch& batch, SmsBatchStore& store) {
    SmsSendOptions options;
    if (o.interval) options.interval = std::chrono::seconds(*intervalSeconds(*o.interval));
    std::unique_ptr<SerialPort> port;
    std::unique_ptr<SimModemPort> sim;
    SystemClock systemClock;
    Clock* clock = &systemClock;
    std::string openName = *o.modem;
    if (isSimModemPortName(*o.modem)) {
        std::string error;
        const auto simOptions = parseSimModemPortName(*o.modem, error);
        if (!simOptions) {
            inv.err << error << '\n';
            return kExitUsage;
        }
        sim = std::make_unique<SimModemPort>(*simOptions);
        clock = &sim->clock();
        openName = "sim-modem";
    } else {
#if defined(QVPROG_HAVE_SYSTEM_PORTS)
        port = makeSystemSerialPort();
#else
        inv.err << "Ten program nie obsługuje portów szeregowych (brak Qt SerialPort)\n";
        return kExitRefused;
#endif
    }
    PrintingSmsObserver observer(inv, *o.modem);
    SmsBatchSender sender(batch, store, sim ? static_cast<SerialPort&>(*sim) : *port, *clock,
                          observer, options);
    const SmsRunResult r = sender.run(openName, o.pin);
    for (std::size_t i = 0; i < batch.messages.size(); ++i)
        inv.out << lineOf(batch, i) << '\n';
    if (!r.completed) {
        inv.err << r.message;
        if (r.message.find("wymaga kodu PIN") != std::string::npos) inv.err << " (--pin)";
        inv.err << '\n';
    }
    return batch.allAccepted() ? kExitOk : kExitRefused;
}

} // namespace

std::optional<int> runSmsSendCommand(const Invocation& inv) {
    if (inv.args[0] != "sms-send") return std::nullopt;
    const auto o = parseSmsOptions(inv);
    if (!o) return kExitUsage;
    std::optional<std::string> number;
    if (o->to) {
        number = normalisedPhoneNumber(*o->to);
        if (!number) {
            inv.err << "Błędny numer telefonu: " << *o->to << '\n';
            return kExitUsage;
        }
    }
    if (o->interval && !intervalSeconds(*o->interval)) {
        inv.err << "Przerwa między wiadomościami to od 0 do 3600 sekund: " << *o->interval << '\n';
        return kExitUsage;
    }
    std::optional<SmsChange> change;
    std::string source;
    SmsBatchTarget target;
    if (!o->positional.empty()) {
        change = changeOf(inv, *o, source, target);
        if (!change) return kExitRefused;
        for (const auto& note : change->notes)
            inv.err << note << '\n';
    }
    if (o->dryRun) {
        const SmsBatch preview = makeSmsBatch(number.value_or(""), *change, source, {});
        for (std::size_t i = 0; i < preview.messages.size(); ++i)
            inv.out << lineOf(preview, i, false) << '\n';
        if (preview.messages.empty()) inv.out << "Brak zmian do wysłania\n";
        return kExitOk;
    }

    // Batches are kept in the archive; --batch FILE keeps them in a JSON file instead (as the
    // program did before the archive; also where the archive has no folder).
    SystemClock storeClock;
    std::unique_ptr<SmsBatchStore> storeOwner;
    ArchiveSmsBatchStore* archiveStore = nullptr;
    if (o->batchFile || inv.archivePath.empty()) {
        storeOwner =
            std::make_unique<JsonFileSmsBatchStore>(o->batchFile.value_or(defaultBatchFile(inv)));
    } else {
        auto a = std::make_unique<ArchiveSmsBatchStore>(inv.archivePath, storeClock, inv.userName);
        archiveStore = a.get();
        storeOwner = std::move(a);
    }
    SmsBatchStore& store = *storeOwner;
    std::string error;
    auto unfinished = unfinishedBatchFor(store, *number, error);
    if (!error.empty()) {
        inv.err << error << '\n';
        return kExitRefused;
    }
    SmsBatch batch;
    if (o->resume) {
        if (!unfinished) {
            inv.err << "Brak niedokończonej wysyłki do " << *number << '\n';
            return kExitRefused;
        }
        batch = std::move(*unfinished);
        if (change) {
            std::vector<std::string> now;
            std::vector<std::string> kept;
            for (const auto& c : change->commands)
                now.push_back(c.text);
            for (const auto& m : batch.messages)
                kept.push_back(m.command);
            if (now != kept) {
                inv.err << "Niedokończona wysyłka do " << *number << " (" << batch.source
                        << ") ma inne polecenia niż ta zmiana: dokończ ją bez pliku albo zacznij "
                           "nową (--new)\n";
                return kExitRefused;
            }
        }
        if (o->unknown) {
            resolveUnknown(batch, *o->unknown == "sent" ? UnknownChoice::treatAsSent
                                                        : UnknownChoice::resend);
            if (!store.save(batch, error)) {
                inv.err << error << '\n';
                return kExitRefused;
            }
        }
        std::vector<std::size_t> unknown;
        for (std::size_t i = 0; i < batch.messages.size(); ++i)
            if (batch.messages[i].state == SmsMessageState::unknown) unknown.push_back(i);
        if (!unknown.empty()) {
            for (std::size_t i = 0; i < batch.messages.size(); ++i)
                inv.out << lineOf(batch, i) << '\n';
            const bool one = unknown.size() == 1;
            inv.err << (one ? "Nie wiadomo, czy wiadomość" : "Nie wiadomo, czy wiadomości");
            for (std::size_t k = 0; k < unknown.size(); ++k)
                inv.err << (k == 0 ? " " : ", ") << unknown[k] + 1;
            inv.err << (one ? " wyszła" : " wyszły")
                    << " przed przerwą. Sprawdź moduł, potem dokończ wysyłkę z --unknown sent "
                       "(uznaj za wysłane) albo --unknown resend (wyślij ponownie)\n";
            return kExitRefused;
        }
    } else {
        if (unfinished && !o->fresh) {
            int taken = 0;
            for (const auto& m : unfinished->messages)
                taken +=
                    m.state == SmsMessageState::accepted || m.state == SmsMessageState::delivered;
            inv.err << "Wysyłka do " << *number << " z " << unfinished->created
                    << " nie jest skończona (" << taken << " z " << unfinished->messages.size()
                    << " przyjętych przez sieć): dokończ ją (--resume) albo zacznij nową "
                       "(--new)\n";
            return kExitRefused;
        }
        if (change->commands.empty()) {
            inv.out << "Brak zmian do wysłania\n";
            return kExitOk;
        }
        if (unfinished) {
            unfinished->abandoned = true;
            if (!store.save(*unfinished, error)) {
                inv.err << error << '\n';
                return kExitRefused;
            }
        }
        SystemClock clock;
        batch = makeSmsBatch(*number, *change, source, clock.localTime());
        // Two batches to one number in the same second still get their own ids.
        const auto all = store.loadAll(error);
        for (int n = 2; all && std::any_of(all->begin(), all->end(),
                                           [&](const SmsBatch& b) { return b.id == batch.id; });
             ++n)
            batch.id =
                makeSmsBatch(*number, {}, {}, clock.localTime()).id + " #" + std::to_string(n);
        if (archiveStore) archiveStore->setTarget(batch.id, target);
    }
    const int code = sendBatch(inv, *o, batch, store);
    if (archiveStore && archiveStore->completionEntry() != 0)
        inv.out << "Archiwum: wpis " << archiveStore->completionEntry()
                << " – konfiguracja wysłana SMS-ami, niepotwierdzona odczytem\n";
    return code;
}

std::vector<std::string> smsSendCommandUsage() {
    return {
        "sms-send WEJ --to NUMER --modem PORT [--base PLIK | --archive-entry ID | "
        "--archive-serial NUMER|OBIEKT | --all] "
        "[--pin PIN] [--interval SEKUNDY] [--dry-run] [--resume] [--new] [--unknown sent|resend] "
        "[--batch PLIK]",
        "                                          zmiana konfiguracji SMS-ami przez modem GSM "
        "(jedno z --base, --archive-entry, --archive-serial, --all)",
        "  port sim-modem[:opcje] to wbudowany symulowany modem (zob. README)",
    };
}

} // namespace qv::cli
