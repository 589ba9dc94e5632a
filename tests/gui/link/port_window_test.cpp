// The window and the machine's ports. The port it starts on when the configured one is
// missing: the only adapter for this run (log and status bar, QVPROG2.INI untouched), a
// choice among several, and with none the ports there are and the simulated module offered.
// A port that will not open: what to do follows the message's first line.
#include "support/fake_port_catalog.hpp"
#include "support/gui_test_support.hpp"

#include "config/messages.hpp"
#include "gui/app/choice_dialog.hpp"
#include "gui/link/link_window.hpp"
#include "gui/link/port_at_start.hpp"

#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

using namespace qv::gui;
using namespace qv::gui::test;
using qv::PortInventory;

Q_DECLARE_METATYPE(qv::PortInventory)

namespace {
QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
QString logText(const AppContext& ctx) {
    QStringList lines;
    for (const auto& l : const_cast<AppContext&>(ctx).doc.log().lines())
        lines << QString::fromStdString(l);
    return lines.join('\n');
}
} // namespace

class PortWindowTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void startsOnThePortThereIs_data() {
        QTest::addColumn<QString>("configured");
        QTest::addColumn<PortInventory>("inventory");
        QTest::addColumn<QList<int>>("choices");  // answers to the list of adapters
        QTest::addColumn<QList<bool>>("answers"); // answers to the simulated module's offer
        QTest::addColumn<QString>("port");        // the port in force afterwards
        QTest::addColumn<QStringList>("asked");   // parts of the question or list shown
        QTest::addColumn<QStringList>("logged");  // parts of the application log
        QTest::addColumn<QString>("status");      // part of the status bar's message

        const auto usb0 = fakeAdapter("/dev/ttyUSB0", "A1");
        const auto usb1 = fakeAdapter("/dev/ttyUSB1", "B2");
        const auto ttyS0 = fakeBuiltInPort("/dev/ttyS0");
        QTest::newRow("configured port there")
            << "/dev/ttyUSB1" << PortInventory{{usb0, usb1}, {}} << QList<int>{} << QList<bool>{}
            << "/dev/ttyUSB1" << QStringList{} << QStringList{} << QString();
        QTest::newRow("the only adapter")
            << "COM3" << PortInventory{{ttyS0, usb0}, {}} << QList<int>{} << QList<bool>{}
            << "/dev/ttyUSB0" << QStringList{}
            << QStringList{"Port COM3 nie jest podłączony; używam jedynego podłączonego "
                           "adaptera: /dev/ttyUSB0",
                           "nr seryjny A1"}
            << "Port /dev/ttyUSB0 - jedyny podłączony adapter (ustawienia: COM3)";
        QTest::newRow("several: the second chosen")
            << "COM3" << PortInventory{{ttyS0, usb0, usb1}, {}} << QList<int>{1} << QList<bool>{}
            << "/dev/ttyUSB1"
            << QStringList{"Podłączone adaptery - wybierz jeden:", "/dev/ttyUSB0: adapter FTDI",
                           "/dev/ttyUSB1: adapter FTDI", "nr seryjny B2"}
            << QStringList{"wybrano adapter /dev/ttyUSB1"} << "Port /dev/ttyUSB1 - wybrany adapter";
        QTest::newRow("several: none chosen")
            << "COM3" << PortInventory{{usb0, usb1}, {}} << QList<int>{-1} << QList<bool>{}
            << "COM3" << QStringList{"wybierz jeden"} << QStringList{"Nie wybrano żadnego."}
            << QString();
        QTest::newRow("none: the simulated module taken")
            << "/dev/ttyUSB0" << PortInventory{{ttyS0}, {fakeAdapterWithoutDriver()}}
            << QList<int>{} << QList<bool>{true} << "sim"
            << QStringList{"żaden adapter USB-serial nie jest podłączony",
                           "Porty w systemie: /dev/ttyS0.", "brak sterownika",
                           "sudo modprobe ch341", "Użyć teraz modułu symulowanego (port sim)?"}
            << QStringList{"Moduł symulowany (port sim)", "Porty w systemie: /dev/ttyS0."}
            << "Port sim - moduł symulowany";
        QTest::newRow("none: declined")
            << "/dev/ttyUSB0" << PortInventory{} << QList<int>{} << QList<bool>{false}
            << "/dev/ttyUSB0" << QStringList{"W systemie nie ma portów szeregowych."}
            << QStringList{"nie jest podłączony"} << "Port /dev/ttyUSB0 nie jest podłączony";
    }
    void startsOnThePortThereIs() {
        QFETCH(QString, configured);
        QFETCH(PortInventory, inventory);
        QFETCH(QList<int>, choices);
        QFETCH(QList<bool>, answers);
        QFETCH(QString, port);
        QFETCH(QStringList, asked);
        QFETCH(QStringList, logged);
        QFETCH(QString, status);

        Program p(configured);
        const QByteArray ini = readAll(p.path("QVPROG2.INI"));
        p.ctx->setPortCatalog(std::make_unique<FakePortCatalog>(inventory));
        p.ui.choices.assign(choices.begin(), choices.end());
        p.ui.answers.assign(answers.begin(), answers.end());
        QSignalSpy done(p.window->choosePortAtStart(), &PortAtStart::finished);
        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 10000);

        QCOMPARE(p.ctx->portName(), port);
        const QString shown = p.ui.texts().join('\n');
        QCOMPARE(p.ui.shown.empty(), asked.isEmpty());
        for (const QString& part : asked)
            QVERIFY2(shown.contains(part), qPrintable(shown));
        const QString log = logText(*p.ctx);
        for (const QString& part : logged)
            QVERIFY2(log.contains(part), qPrintable(log));
        const QString message = p.window->statusBar()->currentMessage();
        QVERIFY2(status.isEmpty() ? message.isEmpty() : message.contains(status),
                 qPrintable(message));
        // The window's choice is for this run: QVPROG2.INI changes only when the user saves.
        QCOMPARE(readAll(p.path("QVPROG2.INI")), ini);
        QTRY_VERIFY_WITH_TIMEOUT(p.find<QLabel>("StatusPanel2")
                                     ->text()
                                     .endsWith(port == "sim" ? QStringLiteral("sim") : port),
                                 5000);
    }

    // A port the user chose while the system was being looked at is not overridden.
    void aPortChosenMeanwhileStands() {
        Program p("COM3");
        p.ctx->setPortCatalog(
            std::make_unique<FakePortCatalog>(PortInventory{{fakeAdapter("/dev/ttyUSB0")}, {}}));
        auto* start = p.window->choosePortAtStart();
        p.ctx->doc.setPortName("/dev/pts/4");
        QSignalSpy done(start, &PortAtStart::finished);
        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 10000);
        QCOMPARE(p.ctx->portName(), QStringLiteral("/dev/pts/4"));
        QVERIFY(p.window->statusBar()->currentMessage().isEmpty());
    }

    // The session's message and log: the first line as always, then (for a real port) what the
    // system says happened and what to do; the simulated module's failure has nothing to add.
    void aPortThatWillNotOpenSaysWhatToDo_data() {
        QTest::addColumn<QString>("port");
        QTest::addColumn<bool>("explained");
        QTest::newRow("missing device") << "/dev/qvprog-no-such-port" << true;
        QTest::newRow("simulated failure") << "sim:openfail" << false;
    }
    void aPortThatWillNotOpenSaysWhatToDo() {
        QFETCH(QString, port);
        QFETCH(bool, explained);
        Program p(port);
        QString log;
        finishLinkSessionWhenDone(&log);
        p.find<QToolButton>("ReadButton")->click();
        QCOMPARE(p.window->linkWindow()->results().sessionResult, -1);
        QCOMPARE(p.ui.shown.size(), std::size_t(1));
        const QStringList message = p.ui.lastText().split('\n');
        const QString first =
            QStringLiteral("Błąd otwarcia portu: ") + (explained ? port : QStringLiteral("sim"));
        QCOMPARE(message.front(), first);
        QCOMPARE(message.size() > 1, explained);
        // The log carries the same explanation after the session's own failure line.
        const QStringList logLines = log.split('\n');
        qsizetype failed = -1;
        for (qsizetype i = 0; i < logLines.size() && failed < 0; ++i)
            if (logLines[i].startsWith(first)) failed = i;
        QVERIFY2(failed >= 0, qPrintable(log));
        for (const QString& line : message.mid(1)) {
            QVERIFY2(logLines.indexOf(line, failed + 1) > failed, qPrintable(line + "\n" + log));
            QVERIFY(!line.trimmed().isEmpty());
        }
        if (explained)
            QVERIFY2(message.mid(1).join(' ').contains(port), qPrintable(p.ui.lastText()));
    }

    // Not a check: with QVPROG_SCREENSHOT_DIR set, saves the window's start with one adapter
    // (the status bar), the choice among several, the question with none, and the port settings
    // with an adapter and one without its driver.
    void screenshotsOfTheStart() {
        const QString out = qEnvironmentVariable("QVPROG_SCREENSHOT_DIR");
        if (out.isEmpty()) QSKIP("QVPROG_SCREENSHOT_DIR not set");
        const PortInventory one{{fakeBuiltInPort("/dev/ttyS0"), fakeAdapter("/dev/ttyUSB0")}, {}};
        {
            Program p("COM3");
            p.ctx->setPortCatalog(std::make_unique<FakePortCatalog>(one));
            QSignalSpy done(p.window->choosePortAtStart(), &PortAtStart::finished);
            QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 10000);
            QTRY_VERIFY_WITH_TIMEOUT(
                p.find<QLabel>("StatusPanel2")->text().endsWith("/dev/ttyUSB0"), 5000);
            QVERIFY(QTest::qWaitForWindowExposed(p.window.get()));
            QVERIFY(p.window->grab().save(out + "/port-start-one-adapter.png"));
        }
        {
            Program p("/dev/ttyUSB0");
            p.ctx->setPortCatalog(std::make_unique<FakePortCatalog>(
                PortInventory{{fakeBuiltInPort("/dev/ttyS0")}, {fakeAdapterWithoutDriver()}}));
            p.ui.answers = {false};
            QSignalSpy done(p.window->choosePortAtStart(), &PortAtStart::finished);
            QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 10000);
            // The question as the desktop's message box shows it.
            QMessageBox box(QMessageBox::Question, QString::fromUtf8(qv::msg::kAppTitle),
                            p.ui.shown.front().text, QMessageBox::Ok | QMessageBox::Cancel,
                            p.window.get());
            box.show();
            QVERIFY(QTest::qWaitForWindowExposed(&box));
            QVERIFY(box.grab().save(out + "/port-start-no-adapter.png"));
            box.hide();
            ChoiceDialog several(
                QStringLiteral(
                    "Port COM3 nie jest podłączony. Podłączone adaptery - wybierz jeden:"),
                {"/dev/ttyUSB0: " +
                     QString::fromStdString(portEntryDescription(fakeAdapter("/dev/ttyUSB0"))),
                 "/dev/ttyUSB1: " + QString::fromStdString(
                                        portEntryDescription(fakeAdapter("/dev/ttyUSB1", "B2")))},
                p.window.get());
            several.show();
            QVERIFY(QTest::qWaitForWindowExposed(&several));
            QVERIFY(several.grab().save(out + "/port-start-several.png"));
            several.hide();
            auto* catalog = new FakePortCatalog(
                PortInventory{{fakeBuiltInPort("/dev/ttyS0"), fakeAdapter("/dev/ttyUSB0")},
                              {fakeAdapterWithoutDriver()}});
            p.ctx->setPortCatalog(std::unique_ptr<FakePortCatalog>(catalog));
            bool saved = false;
            whenModal("TsettingsWindow", [&](QDialog* d) {
                auto* box = d->findChild<QComboBox*>("ComComboBox1");
                QTRY_COMPARE_WITH_TIMEOUT(box->count(), 2, 5000);
                QTRY_VERIFY_WITH_TIMEOUT(
                    d->findChild<QLabel*>("AdaptersWithoutDriver")->isVisible(), 5000);
                saved = d->grab().save(out + "/port-settings.png");
                d->findChild<QToolButton*>("ToolButton3")->click();
            });
            p.find<QToolButton>("settingsButton")->click();
            QVERIFY(saved);
        }
    }
};

QVPROG_GUI_TEST_MAIN(PortWindowTest)
#include "port_window_test.moc"
