// The configuration archive opened on any file: opening, listing, searching and reading every
// entry never crash, and what comes back keeps the archive's own promises (whole images, lists
// without images, newest first).
#include "archive/config_archive.hpp"
#include "archive/sms_batch_archive.hpp"
#include "fuzz_support.hpp"

#include <filesystem>

using namespace qv;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzz::scratch().path("archive.sqlite");
    // A log left by the last input would be read as this file's.
    std::error_code ec;
    for (const char* suffix : {"-wal", "-shm", "-journal"})
        std::filesystem::remove(path + suffix, ec);
    fuzz::writeFile(path, fuzz::asText(data, size));

    ArchiveOptions options;
    options.busyTimeoutMs = 0;
    auto opened = ConfigArchive::open(path, ConfigArchive::Access::existing, options);
    if (!opened.archive) {
        if (opened.problem.empty()) fuzz::fail("a file that was not opened gave no reason");
        return 0;
    }
    ConfigArchive& archive = *opened.archive;
    for (const char* search : {"", "a", "600 100", "ł"}) {
        const auto modules = archive.modules(search);
        for (const auto& m : modules.value) {
            const auto entries = archive.entries(m.serialNumber);
            for (std::size_t k = 1; k < entries.value.size(); ++k)
                if (entries.value[k].id >= entries.value[k - 1].id)
                    fuzz::fail("a module's entries are not newest first");
            archive.latestEntry(m.serialNumber);
        }
    }
    const auto all = archive.allEntries();
    std::size_t read = 0;
    for (const auto& summary : all.value) {
        if (++read > 50) break;
        const auto entry = archive.entry(summary.id);
        if (entry.ok() && entry.value && entry.value->summary.id != summary.id)
            fuzz::fail("an entry came back under another id");
    }
    // The SMS batches kept in it: each one read back whole, or the store says why not.
    archive.smsBatches();
    VirtualClock clock;
    ArchiveSmsBatchStore store(path, clock, {}, options);
    std::string error;
    if (!store.loadAll(error) && error.empty()) fuzz::fail("batches not read gave no reason");
    if (!all.value.empty()) {
        archive.setNote(all.value.front().id, "notatka");
        archive.remove(all.value.back().id);
    }
    return 0;
}
