#pragma once
// A configuration report to print or hand over: a title block and the window's configuration as
// sections of tables, with the window's own captions and the values as the window shows them
// (a list item's text, "tak"/"nie" for a flag). The model is plain text; reportHtml renders it
// for e-mail, and the report library renders the same model to PDF and to a printer.
#include "common/clock.hpp"
#include "config/settings.hpp"
#include "tools/language_table.hpp"

#include <string>
#include <vector>

namespace qv {

// One table: a caption (a group of the window, or empty), its column headings, relative
// column widths and the rows. A cell may hold several lines separated by '\n'.
struct ReportTable {
    std::string caption;
    std::vector<std::string> header;
    std::vector<int> widths; // one per column
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> notes; // lines under the table ("X – nie dotyczy")
};

// One section: a tab of the window, or the report's own summary of the phones.
struct ReportSection {
    std::string title;
    std::vector<ReportTable> tables;
};

struct ReportField {
    std::string label;
    std::string value;
};

struct ConfigReport {
    Language language = Language::Polish;
    std::string title;                   // "Raport konfiguracji modułu"
    std::vector<ReportField> titleBlock; // object, file, dates, program version
    std::vector<ReportField> signatures; // empty values: room to write by hand
    std::vector<ReportSection> sections;
};

// What the report is made of besides the settings.
struct ReportSource {
    std::string configFile;      // folder and name of the configuration file
    std::string programmingDate; // "YYYY-MM-DD hh:mm:ss" from the image, or empty
    std::string programVersion;  // "QV PROG 2.2.24"
    std::string printedDate;     // when the report is made
    Language language = Language::Polish;
};

// The report of settings s. The settings should be those the conversion would send (the
// document's converted copy), so the report shows what the module receives.
ConfigReport makeConfigReport(const Settings& s, const ReportSource& source);

class ConfigDocument;
// The report of a document: the settings as the conversion sends them, its file, the
// programming date of the image it last took in (read from the module or a binary file; none
// for a text file or the defaults), the program's version and clock's time as the date printed.
ConfigReport makeDocumentReport(const ConfigDocument& doc, const Clock& clock, Language language);

// "Strona 2 z 5" / "Page 2 of 5".
std::string reportPageLabel(Language language, int page, int pages);

// The report as one HTML document (UTF-8, every text escaped), with print rules that repeat
// table headers on every page and keep rows whole.
std::string reportHtml(const ConfigReport& report);

// Text escaped for HTML element content and attribute values.
std::string htmlEscape(const std::string& text);

// Whether a file name asks for PDF or HTML by its extension (any case); neither otherwise.
enum class ReportFormat { Unknown, Pdf, Html };
ReportFormat reportFormatOfPath(const std::string& path);

} // namespace qv
