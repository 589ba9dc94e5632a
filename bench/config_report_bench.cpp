// The configuration report: the model of a full configuration and its HTML must take a blink
// of the window's time (the target for the whole report, PDF included, is 200 ms).
#include "../tests/support/full_settings.hpp"
#include "common/clock.hpp"
#include "config/config_document.hpp"
#include "tools/config_report.hpp"

#include <benchmark/benchmark.h>

namespace {

const qv::ReportSource kSource{"/home/instalator/obiekty/Łódź-sklep.qvx", "2026-03-04 05:06:07",
                               "QV PROG 2.2.24", "2026-12-09 10:11:12", qv::Language::Polish};

void BM_ReportModel(benchmark::State& state) {
    const qv::Settings s = qv::test::fullSettings();
    for (auto _ : state)
        benchmark::DoNotOptimize(qv::makeConfigReport(s, kSource));
}
BENCHMARK(BM_ReportModel)->Unit(benchmark::kMicrosecond);

void BM_ReportModelAndHtml(benchmark::State& state) {
    const qv::Settings s = qv::test::fullSettings();
    for (auto _ : state)
        benchmark::DoNotOptimize(qv::reportHtml(qv::makeConfigReport(s, kSource)));
}
BENCHMARK(BM_ReportModelAndHtml)->Unit(benchmark::kMicrosecond);

// As the window makes it: the document's conversion first, then the model and the HTML.
void BM_DocumentReportHtml(benchmark::State& state) {
    qv::VirtualClock clock;
    qv::ConfigDocument doc(clock, "/tmp/");
    doc.startUp("COM1");
    doc.settings() = qv::test::fullSettings();
    for (auto _ : state)
        benchmark::DoNotOptimize(
            qv::reportHtml(qv::makeDocumentReport(doc, clock, qv::Language::Polish)));
}
BENCHMARK(BM_DocumentReportHtml)->Unit(benchmark::kMicrosecond);

} // namespace
