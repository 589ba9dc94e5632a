// "Raport konfiguracji" on the "Dodatki" tab and Ctrl+P: the window's configuration saved as
// PDF or HTML, in the window's language, or printed through the print dialog.
#include "support/gui_test_support.hpp"

#include "gui/main_window/report_commands.hpp"

#include <QFile>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

using namespace qv;
using namespace qv::gui;
using namespace qv::gui::test;

namespace {

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void click(const Program& p, const char* button) {
    p.window->findChild<QPushButton*>(QString::fromLatin1(button))->click();
}

// The PDF's text, when poppler's pdftotext is installed; empty otherwise.
QString pdfText(const QString& path) {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) return {};
    QProcess p;
    p.start(QStringLiteral("pdftotext"),
            {QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    p.waitForFinished();
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class ReportTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void theButtonsAreOnTheAddOnsTabAndTheToolBarKeepsItsButtons() {
        Program p;
        auto* pages = p.find<QTabWidget>("PageControl");
        auto* addOns = pages->findChild<QWidget*>("TabAddOns");
        pages->setCurrentWidget(addOns);
        for (const char* name : {"reportPdfButton", "reportHtmlButton", "reportPrintButton"}) {
            auto* b = addOns->findChild<QPushButton*>(name);
            QVERIFY2(b && b->isVisible() && !b->toolTip().isEmpty(), name);
        }
        auto* lang = p.find<QToolButton>("langButton");
        QVERIFY(lang->mapTo(p.window.get(), QPoint(lang->width(), 0)).x() <= p.window->width());
    }

    void pdfHoldsTheWindowsConfiguration() {
        Program p;
        p.ctx->settings().input(5).alarmText = "Włamanie garaż";
        p.ctx->settings().objectName = "Sklep Żabka";
        const QString file = p.path("raport.pdf");
        p.ui.fileNames = {file};
        click(p, "reportPdfButton");
        QVERIFY(contents(file).startsWith("%PDF-"));
        QCOMPARE(p.ui.lastText(), QString::fromUtf8(kReportSaved) + file);
        const QString text = pdfText(file);
        if (!text.isEmpty()) {
            QVERIFY(text.contains(QStringLiteral("Włamanie garaż")));
            QVERIFY(text.contains(QStringLiteral("Sklep Żabka")));
            QVERIFY(text.contains(QStringLiteral("Strona 1 z ")));
        }
        // The window keeps its configuration and sees it as unchanged by the report.
        QCOMPARE(p.ctx->settings().input(5).alarmText, std::string("Włamanie garaż"));
    }

    void htmlFollowsTheWindowsLanguage() {
        Program p;
        const QString pl = p.path("raport.html");
        p.ui.fileNames = {pl};
        click(p, "reportHtmlButton");
        const QString polish = QString::fromUtf8(contents(pl));
        QVERIFY(polish.contains(QStringLiteral("<html lang=\"pl\">")));
        QVERIFY(polish.contains(QStringLiteral("WEJŚCIA + SMS/CLIP (BAZA)")));
        p.find<QToolButton>("langButton")->click();
        const QString en = p.path("report.html");
        p.ui.fileNames = {en};
        click(p, "reportHtmlButton");
        const QString english = QString::fromUtf8(contents(en));
        QVERIFY(english.contains(QStringLiteral("INPUTS + SMS/CLIP (BASE)")));
        QVERIFY(english.contains(QStringLiteral("Module configuration report")));
    }

    void cancelWritesNothingAndAFailureSaysWhy() {
        Program p;
        click(p, "reportPdfButton"); // no name: the dialog was cancelled
        QVERIFY(p.ui.shown.empty());
        p.ui.fileNames = {p.path("brak/folderu/raport.html")};
        click(p, "reportHtmlButton");
        QCOMPARE(p.ui.shown.size(), std::size_t(1));
        QCOMPARE(p.ui.shown.back().kind, ScriptedUi::Shown::Kind::Error);
        QVERIFY(p.ui.lastText().startsWith(QString::fromUtf8(kReportWriteError)));
    }

    void ctrlPPrintsThroughThePrintDialog() {
        Program p;
        p.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(p.window.get()));
        const QString file = p.path("druk.pdf");
        bool asked = false;
        // The print dialog is answered as a user choosing to print to a PDF file would.
        whenModal(QStringLiteral("reportPrintDialog"), [&](QDialog* d) {
            auto* dialog = qobject_cast<QPrintDialog*>(d);
            QVERIFY(dialog);
            asked = true;
            QCOMPARE(dialog->printer()->pageLayout().pageSize().id(), QPageSize::A4);
            dialog->printer()->setOutputFormat(QPrinter::PdfFormat);
            dialog->printer()->setOutputFileName(file);
            dialog->done(QDialog::Accepted);
        });
        QTest::keyClick(p.window.get(), Qt::Key_P, Qt::ControlModifier);
        QTRY_VERIFY_WITH_TIMEOUT(asked, kPatienceMs);
        QVERIFY(contents(file).startsWith("%PDF-"));
        // Ctrl+P prints; it never starts a session with the module.
        QVERIFY(p.ui.sounds.empty());
        // A cancelled print dialog prints nothing.
        whenModal(QStringLiteral("reportPrintDialog"), [](QDialog* d) { d->reject(); });
        QFile::remove(file);
        click(p, "reportPrintButton");
        QVERIFY(!QFile::exists(file));
    }
};

QVPROG_GUI_TEST_MAIN(ReportTest)
#include "report_test.moc"
