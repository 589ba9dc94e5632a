#pragma once
// The configuration report on A4 pages: the title block, then every section's tables with
// their header repeated at the top of each page a table continues on, rows never split across
// pages, and "Strona N z M" at the foot of every page.
#include "tools/config_report.hpp"

#include <QString>

#include <optional>
#include <string>
#include <vector>

class QPagedPaintDevice;

namespace qv::report {

// Where one row landed, in the device's units (y from the top of the paint area).
struct PlacedRow {
    int page = 0;    // 1-based
    int section = 0; // -1: the title block
    int table = 0;
    int row = 0; // -1: the table's header row
    double top = 0;
    double bottom = 0;
};

struct PaintedReport {
    int pages = 0;
    double bodyTop = 0; // the area rows may use on every page
    double bodyBottom = 0;
    std::vector<PlacedRow> rows;
};

// The family the report is set in: the window's font (Liberation Sans, else Arial, else
// DejaVu Sans), which has the Polish letters and is embedded in the PDF.
QString reportFontFamily();

// Paints report on device, whose page size and margins the caller has set (A4). The device
// must not have a painter yet. Returns where each row went.
PaintedReport paintReport(const ConfigReport& report, QPagedPaintDevice& device);

// The report as a PDF file's bytes: A4, 15 mm margins, fonts embedded. Needs a
// QGuiApplication.
QByteArray reportPdf(const ConfigReport& report, PaintedReport* painted = nullptr);

// Writes the PDF to path (UTF-8) through a temporary file and a rename; nothing on success,
// else the reason. Creates a QGuiApplication for the call when the program has none (the
// command line), on the offscreen platform where Qt would otherwise look for a display.
std::optional<std::string> writeReportPdf(const ConfigReport& report, const std::string& path);

} // namespace qv::report
