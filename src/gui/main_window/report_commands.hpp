#pragma once
// The configuration report of the window ("Dodatki" tab, and Ctrl+P to print): saved as PDF
// or HTML through the save dialog, or printed through the system's print dialog. The report
// shows the window's configuration as it would be sent, in the window's language.
#include "tools/config_report.hpp"

class QWidget;

namespace qv::gui {

class AppContext;

// Asks for a file name and writes the report as PDF or HTML; reports failure or success.
void saveReport(AppContext& ctx, QWidget* parent, ReportFormat format);
// Opens the print dialog (objectName "reportPrintDialog") and prints the report on A4.
void printReport(AppContext& ctx, QWidget* parent);

inline constexpr const char* kReportSaved = "Zapisano raport: ";
inline constexpr const char* kReportWriteError = "Błąd zapisu raportu: ";

} // namespace qv::gui
