// Speed of the configuration conversions and of the .qvx file.
#include "common/clock.hpp"
#include "config/config_document.hpp"
#include "config/config_file.hpp"
#include "config/conversion.hpp"
#include "config/defaults.hpp"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

qv::Settings busySettings() {
    qv::Settings s;
    qv::applyDefaults(s);
    for (int slot = 1; slot <= 15; ++slot) {
        s.input(slot).alarmPrivText = std::string(64, 'a');
        s.input(slot).alarmPhone = "600100200";
    }
    for (auto& p : s.addPhones)
        p = "5001002003";
    s.description.assign(20, "linia opisu konfiguracji");
    return s;
}

void BM_form2tab(benchmark::State& state) {
    qv::Settings s = busySettings();
    qv::ConfigImage img;
    for (auto _ : state) {
        qv::form2tab(s, img, "new.qvx", "2024-05-17 12:35:00");
        benchmark::DoNotOptimize(img.data());
    }
}
BENCHMARK(BM_form2tab);

void BM_tab2form(benchmark::State& state) {
    qv::Settings s = busySettings();
    qv::ConfigImage img;
    qv::form2tab(s, img, "new.qvx", "2024-05-17 12:35:00");
    for (auto _ : state) {
        qv::tab2form(img, s);
        benchmark::DoNotOptimize(s.pin.data());
    }
}
BENCHMARK(BM_tab2form);

std::string benchFile(const char* name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

void BM_qvxSave(benchmark::State& state) {
    qv::VirtualClock clock;
    qv::ConfigDocument doc(clock, "/tmp/");
    doc.startUp("COM1");
    doc.settings() = busySettings();
    const std::string path = benchFile("qvprog-bench-save.qvx");
    std::filesystem::remove(path);
    for (auto _ : state) {
        if (!doc.saveFile(path).saved) state.SkipWithError("save failed");
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_qvxSave)->Unit(benchmark::kMicrosecond);

void BM_qvxLoad(benchmark::State& state) {
    qv::VirtualClock clock;
    qv::ConfigDocument doc(clock, "/tmp/");
    doc.startUp("COM1");
    doc.settings() = busySettings();
    const std::string path = benchFile("qvprog-bench-load.qvx");
    doc.saveFile(path);
    for (auto _ : state) {
        if (!doc.openFile(path).opened) state.SkipWithError("open failed");
        doc.log().clear();
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_qvxLoad)->Unit(benchmark::kMicrosecond);

} // namespace
