// The configuration archive: a list of 10 000 entries must come in well under 200 ms for the
// window; storing one entry (one transaction, synced to the disk) after every read and write.
#include "archive/config_archive.hpp"
#include "archive/sms_batch_archive.hpp"
#include "config/conversion.hpp"
#include "config/defaults.hpp"
#include "link/identification.hpp"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <stdexcept>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr int kEntries = 10000;
constexpr int kModules = 500; // 20 entries each

// A folder for the files: the disk's temporary folder, where the syncs cost what they cost.
fs::path folder() {
    static const fs::path dir = [] {
        const fs::path d =
            fs::temp_directory_path() / ("qvprog_archive_bench_" + std::to_string(::getpid()));
        fs::create_directories(d);
        return d;
    }();
    return dir;
}

qv::NewArchiveEntry entryOf(int k) {
    qv::Settings s;
    qv::applyDefaults(s);
    const int module = k % kModules;
    s.objectName = "Obiekt Łódź " + std::to_string(module);
    s.object = std::to_string(1000 + module);
    s.privPhones[0] = "+48 600 " + std::to_string(100000 + k);
    s.privPhones[1] = "+48 601 " + std::to_string(100000 + module);
    s.securityPhones[0] = "+48 602 " + std::to_string(100000 + module);
    qv::NewArchiveEntry e;
    qv::form2tab(s, e.image, "obiekt.qvx", "2024-05-06 07:08:09");
    e.identity = qv::parseIdentification("X/B/NAME_0503/" + std::to_string(2390000 + module));
    e.state = k % 2 ? "written" : "read";
    e.time = qv::addSeconds({2024, 1, 1, 8, 0, 0, 0}, k * 3600LL);
    e.userName = "serwis";
    e.fileName = "/home/serwis/obiekty/" + std::to_string(module) + ".qvx";
    return e;
}

// The archive of 10 000 entries, made once per run. Made on /dev/shm when there is one: the
// benchmarks below read it, and 10 000 synced commits on a disk only cost set-up time.
const std::string& fullArchive() {
    static const std::string path = [] {
        const fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : folder();
        const std::string p =
            (base / ("qvprog_archive_bench_full_" + std::to_string(::getpid()) + ".sqlite"))
                .string();
        auto opened = qv::ConfigArchive::open(p, qv::ConfigArchive::Access::create);
        if (!opened.archive) throw std::runtime_error(opened.problem);
        for (int k = 0; k < kEntries; ++k)
            if (!opened.archive->add(entryOf(k)).ok()) throw std::runtime_error("add");
        return p;
    }();
    return path;
}

std::unique_ptr<qv::ConfigArchive> openFull() {
    auto opened = qv::ConfigArchive::open(fullArchive(), qv::ConfigArchive::Access::existing);
    if (!opened.archive) throw std::runtime_error(opened.problem);
    return std::move(opened.archive);
}

void BM_ArchiveListAllEntries(benchmark::State& state) {
    const auto archive = openFull();
    for (auto _ : state) {
        const auto all = archive->allEntries();
        if (all.value.size() != static_cast<std::size_t>(kEntries)) state.SkipWithError("count");
        benchmark::DoNotOptimize(all);
    }
    state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(BM_ArchiveListAllEntries)->Unit(benchmark::kMillisecond);

void BM_ArchiveListModules(benchmark::State& state) {
    const auto archive = openFull();
    for (auto _ : state) {
        const auto modules = archive->modules();
        if (modules.value.size() != static_cast<std::size_t>(kModules))
            state.SkipWithError("count");
        benchmark::DoNotOptimize(modules);
    }
}
BENCHMARK(BM_ArchiveListModules)->Unit(benchmark::kMillisecond);

void BM_ArchiveSearch(benchmark::State& state) {
    const auto archive = openFull();
    const char* searches[] = {"lodz 12", "601 100012"};
    const char* search = searches[state.range(0)];
    for (auto _ : state)
        benchmark::DoNotOptimize(archive->modules(search));
    state.SetLabel(search);
}
BENCHMARK(BM_ArchiveSearch)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ArchiveModuleEntriesAndLatest(benchmark::State& state) {
    const auto archive = openFull();
    for (auto _ : state) {
        benchmark::DoNotOptimize(archive->entries("2390123"));
        benchmark::DoNotOptimize(archive->latestEntry("2390123"));
    }
}
BENCHMARK(BM_ArchiveModuleEntriesAndLatest)->Unit(benchmark::kMicrosecond);

void BM_ArchiveOpen(benchmark::State& state) {
    fullArchive();
    for (auto _ : state)
        benchmark::DoNotOptimize(openFull());
}
BENCHMARK(BM_ArchiveOpen)->Unit(benchmark::kMicrosecond);

// One entry stored as read and write store it: its own transaction, synced, on the disk's
// temporary folder.
void BM_ArchiveStoreOneEntry(benchmark::State& state) {
    const std::string path = (folder() / "store.sqlite").string();
    auto opened = qv::ConfigArchive::open(path, qv::ConfigArchive::Access::create);
    if (!opened.archive) {
        state.SkipWithError(opened.problem.c_str());
        return;
    }
    const auto entry = entryOf(7);
    for (auto _ : state)
        if (!opened.archive->add(entry).ok()) state.SkipWithError("add");
}
BENCHMARK(BM_ArchiveStoreOneEntry)->Unit(benchmark::kMillisecond);

// The command line's way: open the file, store, close.
void BM_ArchiveOpenStoreClose(benchmark::State& state) {
    const std::string path = (folder() / "store_once.sqlite").string();
    const auto entry = entryOf(7);
    for (auto _ : state)
        if (qv::storeInArchive(path, entry).message) state.SkipWithError("store");
}
BENCHMARK(BM_ArchiveOpenStoreClose)->Unit(benchmark::kMillisecond);

// One change of an SMS's state kept in the archive, as the sender keeps it before and after the
// modem has each message: open, one synced transaction, close; a batch of 20 messages among 200
// kept batches.
void BM_ArchiveKeepSmsState(benchmark::State& state) {
    const std::string path = (folder() / "sms.sqlite").string();
    qv::VirtualClock clock;
    qv::ArchiveSmsBatchStore store(path, clock);
    qv::SmsChange change;
    for (int k = 0; k < 20; ++k) {
        qv::SmsConfigCommand c;
        c.offset = 100 * k;
        c.bytes = {1, 2, 3};
        c.text = "*P" + std::string(40, 'A');
        c.labels = {"Numer telefonu"};
        change.commands.push_back(c);
    }
    std::string error;
    for (int b = 0; b < 200; ++b) {
        auto done = qv::makeSmsBatch("+48600100" + std::to_string(200 + b), change, "bench", {});
        for (auto& m : done.messages)
            m.state = qv::SmsMessageState::delivered;
        store.save(done, error);
    }
    auto batch = qv::makeSmsBatch("+48600100200", change, "bench", {2024, 5, 1, 12, 0, 0, 0});
    std::size_t k = 0;
    for (auto _ : state) {
        auto& m = batch.messages[k++ % batch.messages.size()];
        m.state = m.state == qv::SmsMessageState::sending ? qv::SmsMessageState::pending
                                                          : qv::SmsMessageState::sending;
        if (!store.save(batch, error)) state.SkipWithError(error.c_str());
    }
}
BENCHMARK(BM_ArchiveKeepSmsState)->Unit(benchmark::kMillisecond);

// Removes the files when the program ends (the names again: the function statics holding them
// may be gone by then).
struct Cleanup {
    ~Cleanup() {
        const std::string pid = std::to_string(::getpid());
        std::error_code ec;
        fs::remove_all(fs::temp_directory_path(ec) / ("qvprog_archive_bench_" + pid), ec);
        for (const char* suffix : {"", "-wal", "-shm"})
            fs::remove(fs::path("/dev/shm") /
                           ("qvprog_archive_bench_full_" + pid + ".sqlite" + suffix),
                       ec);
    }
} cleanup;

} // namespace
