#include "archive/sms_batch_archive.hpp"

#include <algorithm>

namespace qv {

ConfigImage imageAfterCommands(const ConfigImage& base, const SmsChange& change) {
    ConfigImage out = base;
    for (const auto& c : change.commands)
        for (std::size_t k = 0; k < c.bytes.size(); ++k) {
            const std::size_t at = static_cast<std::size_t>(c.offset) + k;
            if (at < ConfigImage::kSize) out.bytes()[at] = c.bytes[k];
        }
    return out;
}

ModuleBase latestEntryOfModule(const std::string& archivePath, std::string_view text) {
    ModuleBase out;
    if (text.empty()) {
        out.problem = "Podaj numer seryjny modułu albo nazwę lub numer obiektu";
        return out;
    }
    auto opened = ConfigArchive::open(archivePath, ConfigArchive::Access::existing);
    if (!opened.archive) {
        out.problem = opened.missing ? "Archiwum konfiguracji jest puste" : opened.problem;
        return out;
    }
    auto found = opened.archive->modules(text);
    if (!found.ok()) {
        out.problem = found.problem;
        return out;
    }
    // A serial number typed in full names its module even when other modules match it too.
    const auto exact = std::find_if(found.value.begin(), found.value.end(),
                                    [&](const ArchiveModule& m) { return m.serialNumber == text; });
    if (exact != found.value.end()) found.value = {*exact};
    if (found.value.empty()) {
        out.problem = "Archiwum nie ma modułu „" + std::string(text) + "”";
        return out;
    }
    if (found.value.size() > 1) {
        out.problem = "Pasuje " + std::to_string(found.value.size()) + " modułów (";
        for (std::size_t k = 0; k < found.value.size() && k < 3; ++k)
            out.problem +=
                (k ? ", " : "") + found.value[k].serialNumber + " " + found.value[k].siteName;
        out.problem += found.value.size() > 3 ? ", ...)" : ")";
        out.problem += ": podaj numer seryjny";
        return out;
    }
    auto latest = opened.archive->entry(found.value.front().latestEntryId);
    if (!latest.ok()) out.problem = latest.problem;
    out.entry = std::move(latest.value);
    return out;
}

ArchiveSmsBatchStore::ArchiveSmsBatchStore(std::string path, Clock& clock, std::string userName,
                                           ArchiveOptions options)
    : path_(std::move(path)), clock_(clock), userName_(std::move(userName)),
      options_(std::move(options)) {}

void ArchiveSmsBatchStore::setTarget(const std::string& batchId, SmsBatchTarget target) {
    std::lock_guard lock(mutex_);
    targets_[batchId] = std::move(target);
}

std::int64_t ArchiveSmsBatchStore::completionEntry() const {
    std::lock_guard lock(mutex_);
    return completionEntry_;
}

std::optional<std::vector<SmsBatch>> ArchiveSmsBatchStore::loadAll(std::string& error) {
    auto opened = ConfigArchive::open(path_, ConfigArchive::Access::existing, options_);
    if (opened.missing) return std::vector<SmsBatch>{};
    if (!opened.archive) {
        error = "Nie można odczytać wysyłek SMS z archiwum: " + opened.problem;
        return std::nullopt;
    }
    const auto rows = opened.archive->smsBatches();
    if (!rows.ok()) {
        error = "Nie można odczytać wysyłek SMS z archiwum: " + rows.problem;
        return std::nullopt;
    }
    std::vector<SmsBatch> out;
    for (const auto& row : rows.value) {
        std::string why;
        auto one = smsBatchesFromJson(row.body, why);
        if (!one || one->size() != 1) {
            error = "Zapis wysyłki SMS " + row.id + " w archiwum jest uszkodzony: " + path_;
            return std::nullopt;
        }
        out.push_back(std::move(one->front()));
    }
    return out;
}

bool ArchiveSmsBatchStore::save(const SmsBatch& batch, std::string& error) {
    auto opened = ConfigArchive::open(path_, ConfigArchive::Access::create, options_);
    if (!opened.archive) {
        error = "Nie można zapisać stanu wysyłki SMS w archiwum: " + opened.problem;
        return false;
    }
    ConfigArchive& archive = *opened.archive;
    StoredSmsBatch row;
    row.id = batch.id;
    row.number = batch.number;
    row.created = batch.created;
    row.done = batch.finished() || batch.abandoned;
    row.body = smsBatchesJson({batch});
    std::optional<SmsBatchTarget> target;
    {
        std::lock_guard lock(mutex_);
        if (const auto it = targets_.find(batch.id); it != targets_.end()) target = it->second;
    }
    if (target) {
        row.baseEntry = target->baseEntry;
        row.target = target->image;
        row.serialNumber = target->serialNumber;
    }

    // Every message accepted: the configuration the module should now hold, as an entry.
    std::optional<NewArchiveEntry> completion;
    if (batch.allAccepted() && !batch.abandoned) {
        // What it leads to, as kept with it (another process may have started it).
        const auto rows = archive.smsBatches(batch.id);
        const StoredSmsBatch& known = rows.value.empty() ? row : rows.value.front();
        if (known.resultEntry == 0 && known.target && !known.serialNumber.empty()) {
            NewArchiveEntry e;
            e.state = std::string(kStateSmsUnconfirmed);
            e.image = *known.target;
            e.identity.serialNumber = known.serialNumber;
            std::optional<ArchiveEntry> from;
            if (known.baseEntry != 0) from = archive.entry(known.baseEntry).value;
            if (!from || from->identity.serialNumber != known.serialNumber)
                from = archive.latestEntry(known.serialNumber).value;
            if (from) e.identity = from->identity;
            e.time = clock_.localTime();
            e.userName = userName_;
            e.note = "wysłana SMS-ami na " + batch.number + " (" + batch.source + ")";
            completion = std::move(e);
        }
    }
    const auto saved = archive.saveSmsBatch(row, completion ? &*completion : nullptr);
    if (!saved.ok()) {
        error = "Nie można zapisać stanu wysyłki SMS w archiwum: " + saved.problem;
        return false;
    }
    if (saved.value != 0) {
        std::lock_guard lock(mutex_);
        completionEntry_ = saved.value;
    }
    return true;
}

} // namespace qv
