// Saving into large existing profile files: a configuration or a phone base file written by
// other tools, full of keys of their own, and ending their sections in blank lines (the case
// where every new key goes before the blank end). Saving must stay linear in the file's size.
#include "common/clock.hpp"
#include "config/config_document.hpp"
#include "tools/phone_base_file.hpp"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMiB = 1u << 20;
// Room for the keys the save adds, so the saved file stays within the 16 MiB limit.
constexpr std::size_t kMargin = 512u << 10;

// A section full of foreign keys up to about size bytes, ended by a blank line.
std::string foreignFile(const std::string& section, std::size_t size) {
    std::string text = "[" + section + "]\r\n";
    for (std::size_t n = 0; text.size() < size; ++n)
        text += "FOREIGN_KEY_" + std::to_string(n) + "=wartość obca " + std::to_string(n) + "\r\n";
    return text + "\r\n[OBCA]\r\nx=1\r\n";
}

std::string benchPath(const char* name) {
    return (fs::temp_directory_path() / name).string();
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

qv::PhoneBaseTable fullTable() {
    qv::PhoneBaseTable t;
    for (std::size_t r = 0; r < t.numbers.size(); ++r) {
        t.numbers[r] = std::to_string(600000000LL + static_cast<long long>(r) * 7919LL);
        t.names[r] = "Klient ż " + std::to_string(r);
    }
    return t;
}

// Each iteration saves into a fresh copy of the existing file.
template <class Save>
void saveIntoExisting(benchmark::State& state, const std::string& path, const std::string& bytes,
                      Save save) {
    for (auto _ : state) {
        state.PauseTiming();
        writeFile(path, bytes);
        state.ResumeTiming();
        if (!save()) state.SkipWithError("save failed");
    }
    state.SetComplexityN(static_cast<benchmark::IterationCount>(bytes.size()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
    fs::remove(path);
}

void BM_SaveIntoExistingQvx(benchmark::State& state) {
    const auto size = static_cast<std::size_t>(state.range(0)) * kMiB - kMargin;
    const std::string bytes = foreignFile("CONFIG", size);
    const std::string path = benchPath("qvprog-bench-existing.qvx");
    qv::VirtualClock clock;
    qv::ConfigDocument doc(clock, "/tmp/");
    doc.newConfig();
    saveIntoExisting(state, path, bytes, [&] { return doc.saveFile(path).saved; });
}
BENCHMARK(BM_SaveIntoExistingQvx)
    ->Arg(1)
    ->Arg(4)
    ->Arg(16)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

void BM_SaveIntoExistingPhbini(benchmark::State& state) {
    const auto size = static_cast<std::size_t>(state.range(0)) * kMiB - kMargin;
    const std::string bytes = foreignFile("ADDITIONAL_PHONE", size);
    const std::string path = benchPath("qvprog-bench-existing.PHBINI");
    const qv::PhoneBaseTable table = fullTable();
    saveIntoExisting(state, path, bytes, [&] { return qv::savePhoneBaseFile(path, table).ok; });
}
BENCHMARK(BM_SaveIntoExistingPhbini)
    ->Arg(1)
    ->Arg(4)
    ->Arg(16)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

} // namespace
