#include "gui/main_window/report_commands.hpp"

#include "common/file_io.hpp"
#include "gui/app/app_context.hpp"
#include "report/report_pdf.hpp"

#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>

namespace qv::gui {

namespace {
ConfigReport windowReport(AppContext& ctx) {
    return makeDocumentReport(ctx.doc, ctx.clock, ctx.language.language());
}
} // namespace

void saveReport(AppContext& ctx, QWidget* parent, ReportFormat format) {
    const bool pdf = format == ReportFormat::Pdf;
    const QString path = ctx.ui.saveFileName(
        parent, pdf ? QStringLiteral("Raport PDF") : QStringLiteral("Raport HTML"),
        QString::fromStdString(ctx.doc.configDir()),
        pdf ? QStringLiteral("Dokument PDF|*.pdf") : QStringLiteral("Strona HTML|*.html;*.htm"),
        pdf ? QStringLiteral("pdf") : QStringLiteral("html"));
    if (path.isEmpty()) return;
    const std::string file =
        QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()).toStdString();
    const ConfigReport report = windowReport(ctx);
    const auto failure = pdf ? writeFileAtomic(file, report::reportPdf(report).toStdString())
                             : writeFileAtomic(file, reportHtml(report));
    if (failure) {
        ctx.ui.error(parent, QString::fromUtf8(kReportWriteError) + QString::fromStdString(file) +
                                 QStringLiteral(" (") + QString::fromStdString(*failure) +
                                 QStringLiteral(")"));
        return;
    }
    ctx.ui.information(parent, QString::fromUtf8(kReportSaved) + QString::fromStdString(file));
}

void printReport(AppContext& ctx, QWidget* parent) {
    const ConfigReport report = windowReport(ctx);
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
    printer.setDocName(QString::fromStdString(report.title));
    QPrintDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("reportPrintDialog"));
    dialog.setWindowTitle(QStringLiteral("Drukuj raport"));
    if (dialog.exec() != QDialog::Accepted) return;
    report::paintReport(report, printer);
}

} // namespace qv::gui
