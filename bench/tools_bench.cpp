// SMS listing, phone base codec and .PHBINI file: each must feel instant in the window.
#include "tools/phone_base.hpp"
#include "tools/phone_base_file.hpp"
#include "tools/sms_listing.hpp"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

qv::PhoneBaseTable fullTable() {
    qv::PhoneBaseTable t;
    for (int i = 0; i < qv::kPhoneBaseRows; ++i) {
        const auto r = static_cast<std::size_t>(i);
        t.numbers[r] = std::to_string(600000000LL + i * 7919LL);
        t.names[r] = "Klient ż " + std::to_string(i);
    }
    t.welcome = "Witamy w bazie numerów uprawnionych";
    t.goodbye = "Numer usunięty z bazy";
    return t;
}

void BM_SmsListing(benchmark::State& state) {
    qv::ConfigImage image;
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 13);
    for (auto _ : state)
        benchmark::DoNotOptimize(qv::smsListing(image));
}
BENCHMARK(BM_SmsListing)->Unit(benchmark::kMicrosecond);

void BM_PhoneBaseEncode(benchmark::State& state) {
    const auto table = fullTable();
    qv::PhoneBaseImage image;
    for (auto _ : state) {
        benchmark::DoNotOptimize(qv::encodePhoneBase(table, image));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PhoneBaseEncode)->Unit(benchmark::kMicrosecond);

void BM_PhoneBaseDecode(benchmark::State& state) {
    const auto table = fullTable();
    qv::PhoneBaseImage image;
    qv::encodePhoneBase(table, image);
    qv::PhoneBaseTable out;
    for (auto _ : state) {
        qv::decodePhoneBase(image, out);
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_PhoneBaseDecode)->Unit(benchmark::kMicrosecond);

std::string benchPath() {
    return (std::filesystem::temp_directory_path() / "qvprog_bench.PHBINI").string();
}

void BM_PhoneBaseFileSave4000(benchmark::State& state) {
    const auto table = fullTable();
    const auto path = benchPath();
    for (auto _ : state)
        benchmark::DoNotOptimize(qv::savePhoneBaseFile(path, table));
    std::filesystem::remove(path);
}
BENCHMARK(BM_PhoneBaseFileSave4000)->Unit(benchmark::kMillisecond);

void BM_PhoneBaseFileLoad4000(benchmark::State& state) {
    const auto path = benchPath();
    qv::savePhoneBaseFile(path, fullTable());
    qv::PhoneBaseTable table;
    for (auto _ : state)
        benchmark::DoNotOptimize(qv::loadPhoneBaseFile(path, table));
    std::filesystem::remove(path);
}
BENCHMARK(BM_PhoneBaseFileLoad4000)->Unit(benchmark::kMillisecond);

} // namespace
