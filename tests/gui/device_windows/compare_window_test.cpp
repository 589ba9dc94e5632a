// "Porównaj" as a technician uses it: against a saved file and against the module on the bench,
// with the window's own configuration left exactly as it was.
#include "support/gui_test_support.hpp"

#include "gui/device_windows/compare_window.hpp"
#include "gui/link/link_window.hpp"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace qv;
using namespace qv::gui;
using namespace qv::gui::test;

namespace {

// The table as the user sees it (sorted or not): one list of cell texts per row.
QList<QStringList> shownRows(const Program& p) {
    auto* table = p.window->compareWindow()->findChild<QTableView*>("compareTable");
    QList<QStringList> rows;
    for (int r = 0; r < table->model()->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < table->model()->columnCount(); ++c)
            cells << table->model()->index(r, c).data().toString();
        rows << cells;
    }
    return rows;
}

QString summary(const Program& p) {
    return p.window->compareWindow()->findChild<QLabel*>("compareSummaryLabel")->text();
}

void trigger(const Program& p, const char* button) {
    p.window->findChild<QPushButton*>(QString::fromLatin1(button))->click();
}

} // namespace

class CompareWindowTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void bothSourcesAreOfferedOnTheAddOnsTab() {
        Program p;
        auto* pages = p.find<QTabWidget>("PageControl");
        auto* addOns = pages->findChild<QWidget*>("TabAddOns");
        pages->setCurrentWidget(addOns);
        for (const char* name : {"compareFileButton", "compareModuleButton"}) {
            auto* b = addOns->findChild<QPushButton*>(name);
            QVERIFY2(b && b->isVisible(), name);
        }
        // The tool bar keeps every one of its buttons inside the window.
        auto* lang = p.find<QToolButton>("langButton");
        QVERIFY(lang->isVisible());
        QVERIFY(lang->mapTo(p.window.get(), QPoint(lang->width(), 0)).x() <= p.window->width());
    }

    void aFileSavedFromTheWindowIsIdenticalThenEachEditShows() {
        Program p;
        const QString file = p.path("saved.qvx");
        p.ui.fileNames = {file};
        p.find<QToolButton>("saveFileButton")->click();
        QVERIFY(QFile::exists(file));

        p.ui.fileNames = {file};
        trigger(p, "compareFileButton");
        QVERIFY(p.window->compareWindow()->isVisible());
        QCOMPARE(summary(p), QStringLiteral("Konfiguracje są identyczne"));
        QVERIFY(shownRows(p).isEmpty());

        p.ctx->settings().input(2).alarmPhone = "600100200";
        p.ctx->settings().input(10).alarmPhone = "700100200";
        p.ctx->settings().useGprs = true;
        const Settings edited = p.ctx->settings();
        p.ui.fileNames = {file};
        trigger(p, "compareFileButton");
        QCOMPARE(summary(p), QStringLiteral("Różnic: 3"));
        const auto rows = shownRows(p);
        QCOMPARE(rows.size(), 3);
        // The file's key order, the window's value first, an empty value as a dash.
        QCOMPARE(rows[0][1], QStringLiteral("ALARM_PHONE.2"));
        QCOMPARE(rows[0][2], QStringLiteral("600100200"));
        QCOMPARE(rows[0][3], QStringLiteral("—"));
        QCOMPARE(rows[1][1], QStringLiteral("ALARM_PHONE.10"));
        QCOMPARE(rows[2][1], QStringLiteral("USE_GPRS"));
        QCOMPARE(rows[2].mid(2), (QStringList{"tak", "nie"}));
        auto* table = p.window->compareWindow()->findChild<QTableView*>("compareTable");
        QCOMPARE(table->model()->headerData(3, Qt::Horizontal).toString(),
                 QStringLiteral("W pliku"));

        // Sorted by key, numbers go in their numeric order; descending turns it round.
        table->sortByColumn(1, Qt::AscendingOrder);
        QCOMPARE(shownRows(p)[0][1], QStringLiteral("ALARM_PHONE.2"));
        QCOMPARE(shownRows(p)[1][1], QStringLiteral("ALARM_PHONE.10"));
        table->sortByColumn(1, Qt::DescendingOrder);
        QCOMPARE(shownRows(p)[0][1], QStringLiteral("USE_GPRS"));
        QCOMPARE(shownRows(p)[2][1], QStringLiteral("ALARM_PHONE.2"));

        QCOMPARE(p.ctx->settings(), edited);
        QCOMPARE(p.window->windowTitle(), "QV PROG 2.2.24 - [ " + p.dir.path() + "/saved.qvx ]");
    }

    void aFileThatCannotBeOpenedIsRefusedWithItsMessage() {
        Program p;
        const QString bad = p.path("bad.bCFG");
        QFile f(bad);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a configuration");
        f.close();
        p.ctx->settings().object = "1234";
        p.ui.fileNames = {bad};
        trigger(p, "compareFileButton");
        QVERIFY(!p.window->compareWindow() || !p.window->compareWindow()->isVisible());
        QVERIFY(!p.ui.shown.empty());
        QCOMPARE(p.ui.shown.back().kind, ScriptedUi::Shown::Kind::Error);
        QCOMPARE(p.ctx->settings().object, "1234");

        p.ui.fileNames.clear(); // a cancelled dialog does nothing
        const auto shown = p.ui.shown.size();
        trigger(p, "compareFileButton");
        QCOMPARE(p.ui.shown.size(), shown);
    }

    void theModuleIsReadIntoAScratchDocumentOnly() {
        QTemporaryDir state;
        Program p("sim:state=" + state.filePath("module.json"));
        p.ctx->settings().object = "7777";
        finishLinkSessionWhenDone();
        whenModal("TShowForm", [](QDialog* d) { d->done(0); });
        p.find<QToolButton>("writeButton")->click();
        QCOMPARE(p.window->linkWindow()->results().sessionResult, 1);

        p.ctx->settings().object = "9999";
        p.ctx->doc.image()[156] = 0x5A; // a byte the module does not hold
        const Settings settings = p.ctx->settings();
        const ConfigImage image = p.ctx->doc.image();
        const ConfigImage stored = p.ctx->doc.storedImage();
        QString log;
        finishLinkSessionWhenDone(&log);
        trigger(p, "compareModuleButton");
        QCOMPARE(p.window->linkWindow()->results().sessionResult, 1);
        QVERIFY2(log.contains("Port: sim"), qPrintable(log));

        QCOMPARE(p.ctx->settings(), settings);
        QVERIFY(p.ctx->doc.image() == image);
        QVERIFY(p.ctx->doc.storedImage() == stored);
        const auto rows = shownRows(p);
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0].mid(1), (QStringList{"OBJECT", "9999", "7777"}));
        QCOMPARE(rows[1].mid(1), (QStringList{"bajt 156", "5A", "00"}));
        auto* table = p.window->compareWindow()->findChild<QTableView*>("compareTable");
        QCOMPARE(table->model()->headerData(3, Qt::Horizontal).toString(),
                 QStringLiteral("W urządzeniu"));
    }

    void aFailedModuleReadShowsNoComparison() {
        Program p("sim:silent");
        p.ctx->settings().object = "5555";
        finishLinkSessionWhenDone();
        trigger(p, "compareModuleButton");
        QCOMPARE(p.window->linkWindow()->results().sessionResult, -1);
        QVERIFY(!p.window->compareWindow());
        QCOMPARE(p.ctx->settings().object, "5555");
    }
};

QVPROG_GUI_TEST_MAIN(CompareWindowTest)
#include "compare_window_test.moc"
