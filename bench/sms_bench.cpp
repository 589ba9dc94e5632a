// The commands of a change: they are computed whenever the window's configuration changes while
// the SMS view is open, so both ends must feel instant: a whole configuration against an image
// that differs everywhere, and the one-setting change a technician usually sends.
#include "config/conversion.hpp"
#include "config/defaults.hpp"
#include "config/memmap.hpp"
#include "sms/sms_commands.hpp"
#include "sms/sms_pdu.hpp"

#include <benchmark/benchmark.h>

namespace {

qv::ConfigImage defaultImage() {
    qv::Settings s;
    qv::applyDefaults(s);
    qv::ConfigImage image;
    qv::form2tab(s, image, "a.qvx", "2024-01-01 12:00:00");
    return image;
}

void BM_SmsWholeConfiguration(benchmark::State& state) {
    const qv::ConfigImage image = defaultImage();
    for (auto _ : state)
        benchmark::DoNotOptimize(qv::smsWholeConfigurationCommands(image));
}
BENCHMARK(BM_SmsWholeConfiguration)->Unit(benchmark::kMicrosecond);

// Every byte of the image differs: the worst case of the change commands.
void BM_SmsChangeEveryByte(benchmark::State& state) {
    const qv::ConfigImage base = defaultImage();
    qv::ConfigImage target = base;
    for (auto& b : target.bytes())
        b = static_cast<std::uint8_t>(~b);
    for (auto _ : state)
        benchmark::DoNotOptimize(qv::smsChangeCommands(base, target));
}
BENCHMARK(BM_SmsChangeEveryByte)->Unit(benchmark::kMicrosecond);

void BM_SmsChangeOnePhone(benchmark::State& state) {
    const qv::ConfigImage base = defaultImage();
    qv::ConfigImage target = base;
    target.putTextField("600100200", qv::memmap::alarmPhone(5), qv::memmap::wPHONE);
    for (auto _ : state)
        benchmark::DoNotOptimize(qv::smsChangeCommands(base, target));
}
BENCHMARK(BM_SmsChangeOnePhone)->Unit(benchmark::kMicrosecond);

void BM_SmsSubmitPdu(benchmark::State& state) {
    const std::string command = "*P" + std::string(132, 'A');
    std::string error;
    for (auto _ : state)
        benchmark::DoNotOptimize(qv::encodeSubmit("+48600100200", command, {}, error));
}
BENCHMARK(BM_SmsSubmitPdu)->Unit(benchmark::kMicrosecond);

} // namespace
