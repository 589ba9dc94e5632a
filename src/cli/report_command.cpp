// report: the configuration report of a file, as PDF or HTML.
#include "cli/cli_commands.hpp"

#include "common/clock.hpp"
#include "common/file_io.hpp"
#include "config/config_document.hpp"
#include "link/port_names.hpp"
#include "tools/config_report.hpp"

#ifdef QVPROG_HAVE_PDF_REPORT
#include "report/report_pdf.hpp"
#endif

#include <ostream>

namespace qv::cli {

namespace {

std::optional<std::string> writePdf([[maybe_unused]] const ConfigReport& report,
                                    [[maybe_unused]] const std::string& path) {
#ifdef QVPROG_HAVE_PDF_REPORT
    return report::writeReportPdf(report, path);
#else
    return std::string("ten program zapisuje raport tylko jako HTML");
#endif
}

} // namespace

std::optional<int> runReportCommand(const Invocation& inv) {
    if (inv.args[0] != "report") return std::nullopt;
    std::vector<std::string> files;
    Language language = Language::Polish;
    for (std::size_t k = 1; k < inv.args.size(); ++k) {
        const std::string& a = inv.args[k];
        if (a == "--english") {
            language = Language::English;
        } else if (a.starts_with("--")) {
            inv.err << "Błędna opcja: " << a << '\n';
            return kExitUsage;
        } else {
            files.push_back(a);
        }
    }
    if (files.size() != 2) {
        inv.err << "Użycie: " << reportCommandUsage()[0] << '\n';
        return kExitUsage;
    }
    const ReportFormat format = reportFormatOfPath(files[1]);
    if (format == ReportFormat::Unknown) {
        inv.err << "Raport zapisuje się do pliku .pdf albo .html: " << files[1] << '\n';
        return kExitUsage;
    }
    SystemClock clock;
    ConfigDocument doc(clock, inv.exeDir);
    startDocument(inv, doc, kDefaultPortName);
    const OpenResult opened = doc.openFile(absolutePath(files[0]));
    printMessages(inv, opened.messages);
    if (!opened.opened) return kExitRefused;
    const ConfigReport report = makeDocumentReport(doc, clock, language);
    const std::string out = absolutePath(files[1]);
    const auto failure = format == ReportFormat::Pdf ? writePdf(report, out)
                                                     : writeFileAtomic(out, reportHtml(report));
    if (failure) {
        inv.err << "Błąd zapisu raportu: " << files[1] << " (" << *failure << ")\n";
        return kExitRefused;
    }
    inv.out << "Zapisano raport: " << files[1] << '\n';
    return kExitOk;
}

std::vector<std::string> reportCommandUsage() {
    return {
        "report PLIK RAPORT.pdf|RAPORT.html [--english]   raport konfiguracji z pliku .qvx/.bCFG",
    };
}

} // namespace qv::cli
