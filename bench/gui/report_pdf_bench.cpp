// The configuration report as PDF: a full configuration, every text filled, from the document
// to the PDF's bytes (the target is under 200 ms).
#include "../../tests/support/full_settings.hpp"
#include "common/clock.hpp"
#include "config/config_document.hpp"
#include "report/report_pdf.hpp"

#include <benchmark/benchmark.h>

namespace {

void BM_ReportPdf(benchmark::State& state) {
    qv::VirtualClock clock;
    qv::ConfigDocument doc(clock, "/tmp/");
    doc.startUp("COM1");
    doc.settings() = qv::test::fullSettings();
    std::size_t bytes = 0;
    for (auto _ : state) {
        const auto pdf =
            qv::report::reportPdf(qv::makeDocumentReport(doc, clock, qv::Language::Polish));
        bytes = static_cast<std::size_t>(pdf.size());
        benchmark::DoNotOptimize(pdf.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ReportPdf)->Unit(benchmark::kMillisecond);

} // namespace
