// The main window as a technician meets it: start-up state, tab heights, the configuration
// commands through the dialog seam, and device sessions through the link window.
#include "support/gui_test_support.hpp"

#include "config/messages.hpp"
#include "gui/app/appearance.hpp"
#include "gui/link/link_window.hpp"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

using namespace qv;
using namespace qv::gui;
using namespace qv::gui::test;

class MainWindowTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void startUpState() {
        Program p;
        const QString dir = p.dir.path() + "/";
        QCOMPARE(p.window->windowTitle(), "QV PROG 2.2.24 - [ " + dir + "new.qvx ]");
        const std::pair<const char*, const char*> captions[] = {
            {"newConfig", "Nowy"},
            {"openFileButton", "Otwórz"},
            {"saveFileButton", "Zapisz"},
            {"settingsButton", "Ustawienia"},
            {"ReadButton", "Odczytaj"},
            {"writeButton", "Programuj"},
            {"clearPassButton", "Usuń hasło"},
            {"historyButton", "Historia"},
            {"ToolButton2", "Firmware"},
            {"monitorButton", "Monitor"},
            {"ToolButton12", "CFG->SMS"},
            {"langButton", "English"},
        };
        for (const auto& [name, caption] : captions) {
            auto* b = p.find<QToolButton>(name);
            QVERIFY2(b, name);
            QCOMPARE(b->text(), QString::fromUtf8(caption));
        }
        QCOMPARE(p.find<QToolButton>("ReadButton")->toolTip(),
                 QStringLiteral("Odczyt konfiguracji z urządzenia (Ctrl+R)"));
        QTRY_COMPARE_WITH_TIMEOUT(p.find<QLabel>("StatusPanel2")->text(),
                                  QStringLiteral("Port: sim"), kPatienceMs);
        QCOMPARE(p.find<QLabel>("StatusPanel3")->text(), QStringLiteral("Solvo-5 / DTMF"));
        QVERIFY(QTime::fromString(p.find<QLabel>("StatusPanel1")->text(), "hh:mm:ss").isValid());
        QVERIFY(!p.ctx->doc.isModified());
        QVERIFY(p.ctx->doc.log().lines().size() >= 2);
        QVERIFY(QString::fromStdString(p.ctx->doc.log().lines()[0]).endsWith("Start aplikacji"));
    }

    void eachTabSetsItsWindowHeight() {
        Program p;
        auto* pages = p.find<QTabWidget>("PageControl");
        QCOMPARE(pages->count(), 8);
        QVERIFY(!pages->isTabVisible(7)); // the service page without the marker file
        QCOMPARE(p.window->height(), 480);
        const int heights[] = {480, 530, 550, 400, 520, 480};
        for (int i = 5; i >= 0; --i) {
            pages->setCurrentIndex(i);
            QCOMPARE(p.window->height(), heights[i]);
            QCOMPARE(p.window->width(), 808);
        }
        pages->setCurrentIndex(4);
        pages->setCurrentIndex(6); // "Dodatki" keeps the height
        QCOMPARE(p.window->height(), 520);
    }

    // Every tab reached from every other: a tab with a height of its own takes it, "Dodatki"
    // (and the service tab) keep the one they are reached with; the width never changes.
    void everyTabSwitchKeepsTheWindowsHeights() {
        for (const bool service : {false, true}) {
            Program p(QStringLiteral("sim"), service);
            auto* pages = p.find<QTabWidget>("PageControl");
            const int width = p.window->width(); // 808, or what the service tab's row needs
            QStringList grown;
            for (int from = 0; from < (service ? 8 : 7); ++from)
                for (int to = 0; to < (service ? 8 : 7) && MainWindow::kTabHeights[from]; ++to) {
                    pages->setCurrentIndex(from);
                    pages->setCurrentIndex(to);
                    const int own = MainWindow::kTabHeights[to];
                    const QSize expected(width, own > 0 ? own : MainWindow::kTabHeights[from]);
                    if (p.window->size() != expected)
                        grown << pages->tabText(from) + " -> " + pages->tabText(to);
                }
            QVERIFY2(grown.isEmpty(), qPrintable(grown.join('\n')));
        }
    }

    void languageSwitchesOnlyTheTableTexts() {
        Program p;
        auto* lang = p.find<QToolButton>("langButton");
        const auto qtCancel = [] {
            return QCoreApplication::translate("QPlatformTheme", "Cancel");
        };
        const QString cancel = qtCancel();
        if (useQtPolish(true)) QCOMPARE(cancel, QStringLiteral("Anuluj"));
        lang->click();
        QCOMPARE(qtCancel(), cancel); // Qt's own buttons keep their language
        QCOMPARE(p.find<QToolButton>("writeButton")->text(), QStringLiteral("Write"));
        QCOMPARE(p.find<QTabWidget>("PageControl")->tabText(4), QStringLiteral("ALARMS/OUTPUTS"));
        QCOMPARE(p.find<QTabWidget>("PageControl")->tabText(3), QStringLiteral("GPRS/DTMF"));
        QCOMPARE(lang->text(), QStringLiteral("Polski"));
        lang->click();
        QCOMPARE(p.find<QToolButton>("writeButton")->text(), QStringLiteral("Programuj"));
        QCOMPARE(lang->text(), QStringLiteral("English"));
    }

    void newAsksOnlyAfterAChange() {
        Program p;
        p.find<QToolButton>("newConfig")->click();
        QVERIFY(p.ui.shown.empty());
        p.ctx->settings().apn = "other";
        p.ctx->settings().object = "1234";
        p.ui.answers = {false};
        p.find<QToolButton>("newConfig")->click();
        QCOMPARE(p.ui.lastText(), QString::fromUtf8(msg::kAskDiscardOnNew));
        QCOMPARE(p.ctx->settings().object, "1234");
        p.find<QToolButton>("newConfig")->click(); // OK this time
        QCOMPARE(p.ctx->settings().object, "0001");
        QCOMPARE(p.ctx->settings().apn, "other"); // the defaults do not name the APN
        QVERIFY(!p.ctx->doc.isModified());
    }

    void closingAsksOnlyAfterAChange() {
        {
            Program p;
            QVERIFY(p.window->close()); // unchanged: it closes at once
            QVERIFY(p.ui.shown.empty());
        }
        Program p;
        p.ctx->settings().apn = "other";
        p.ui.answers = {false};
        QVERIFY(!p.window->close());
        QCOMPARE(p.ui.shown.size(), std::size_t(1));
        QCOMPARE(p.ui.shown.back().kind, ScriptedUi::Shown::Kind::Question);
        QCOMPARE(p.ui.lastText(), QString::fromUtf8(msg::kAskDiscardOnNew));
        QVERIFY(p.window->isVisible());
        QCOMPARE(p.ctx->settings().apn, "other"); // Cancel keeps the edits
        QVERIFY(p.window->close());               // OK this time
        QVERIFY(!p.window->isVisible());
    }

    void statusBarPanelsKeepTheirWidthsAndTheAdditionsFollow() {
        Program p;
        QVERIFY(QTest::qWaitForWindowExposed(p.window.get()));
        QTRY_COMPARE_WITH_TIMEOUT(p.find<QLabel>("StatusPanel2")->text(),
                                  QStringLiteral("Port: sim"), kPatienceMs);
        const int widths[] = {55, 75, 150, 50};
        int right = 0;
        for (int i = 0; i < 4; ++i) {
            auto* panel = p.find<QLabel>(QStringLiteral("StatusPanel%1").arg(i + 1));
            // Its width, or what its text needs where the platform's font is wider.
            QCOMPARE(panel->width(), std::max(widths[i], panel->sizeHint().width()));
            QVERIFY(panel->x() >= right);
            right = panel->geometry().right();
        }
        QCOMPARE(p.find<QLabel>("StatusPanel4")->width(), 50);
        auto* verify = p.find<QWidget>("cbVerify");
        auto* log = p.find<QWidget>("logButton");
        QVERIFY(verify->x() > right);
        QVERIFY(log->x() > verify->geometry().right());
        QVERIFY(log->x() - right < 200); // next to the panels, not at the far end
    }

    void linkGaugeTellsHowLongTheModuleHasBeenSilent() {
        Program p("sim:silent");
        auto* link = p.window->linkWindow();
        auto* gauge = link->findChild<QProgressBar*>("Gauge1");
        link->showWaiting(3400, 10000);
        QCOMPARE(gauge->text(),
                 QString::fromUtf8("Oczekiwanie na odpowiedź urządzenia: 3 s z 10 s"));
        link->showWaiting(0, 0);
        QCOMPARE(gauge->text(), QStringLiteral("0%"));
        // After a session on a silent module the texts are as they were and the gauge is a
        // gauge again.
        QString log;
        finishLinkSessionWhenDone(&log);
        p.find<QToolButton>("ReadButton")->click();
        QVERIFY(log.endsWith(QStringLiteral("Brak odpowiedzi po restarcie !")));
        QCOMPARE(gauge->format(), QStringLiteral("%p%"));
    }

    void messageBoxesCarryTheProgramsTitle() {
        UiServices real;
        QWidget parent;
        QString title;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        auto* watch = new QTimer(&parent);
        connect(watch, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                title = box->windowTitle();
                text = box->text();
                icon = box->icon();
                box->button(QMessageBox::Ok)->click();
            }
        });
        watch->start(10);
        real.information(&parent, QStringLiteral("Zapisano"));
        QCOMPARE(title, QStringLiteral("QVProg-2"));
        QCOMPARE(text, QStringLiteral("Zapisano"));
        title.clear();
        QVERIFY(real.question(&parent, QStringLiteral("Czy?")));
        QCOMPARE(title, QStringLiteral("QVProg-2"));
        // A warning has the title, and the warning icon.
        title.clear();
        real.show(&parent, {UserMessage::Icon::Warning, "Uwaga"});
        QCOMPARE(title, QStringLiteral("QVProg-2"));
        QCOMPARE(text, QStringLiteral("Uwaga"));
        QCOMPARE(icon, QMessageBox::Warning);
    }

    void saveThenOpenRoundTripThroughTheDialogs() {
        Program p;
        p.ctx->settings().object = "4321";
        p.ctx->settings().input(5).alarmPhone = "600100200";
        const QString file = p.path("konfiguracja"); // no extension: ".qvx" is appended
        p.ui.fileNames = {file};
        p.find<QToolButton>("saveFileButton")->click();
        QCOMPARE(p.ui.lastText(), QString::fromUtf8(msg::kSaved));
        QVERIFY(QFile::exists(file + ".qvx"));
        QVERIFY(p.window->windowTitle().endsWith("konfiguracja.qvx ]"));

        // Saving over it asks; Cancel keeps the file and says so.
        p.ui.fileNames = {file + ".qvx"};
        p.ui.answers = {false};
        p.find<QToolButton>("saveFileButton")->click();
        QCOMPARE(p.ui.texts().mid(p.ui.texts().size() - 2),
                 QStringList({QString::fromUtf8(msg::kAskOverwrite),
                              QString::fromUtf8(msg::kSaveCancelled)}));

        p.find<QToolButton>("newConfig")->click();
        QCOMPARE(p.ctx->settings().object, "0001");
        p.ui.fileNames = {file + ".qvx"};
        p.find<QToolButton>("openFileButton")->click();
        QCOMPARE(p.ctx->settings().object, "4321");
        QCOMPARE(p.ctx->settings().input(5).alarmPhone, "600100200");
        QVERIFY(!p.ctx->doc.isModified());

        // A cancelled dialog changes nothing.
        const auto shownBefore = p.ui.shown.size();
        p.find<QToolButton>("openFileButton")->click();
        QCOMPARE(p.ui.shown.size(), shownBefore);
    }

    // A file made elsewhere with values longer than their fields: one warning names those the
    // module will receive cut, and the log each. The fields, limited to their length, show what
    // the module receives; the settings keep the file's value.
    void aFileWithValuesLongerThanTheirFieldsOpensWithOneWarning() {
        Program p;
        const QString file = p.path("dluga.qvx");
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[CONFIG]\r\nALARM_PHONE.5=123456789012345678\r\nPIN=12345\r\n");
        f.close();
        p.ui.fileNames = {file};
        p.find<QToolButton>("openFileButton")->click();
        QCOMPARE(p.ui.shown.size(), std::size_t(1));
        QCOMPARE(p.ui.shown[0].kind, ScriptedUi::Shown::Kind::Warning);
        QCOMPARE(p.ui.lastText().count('\n'), 2); // the heading and the two settings
        QCOMPARE(p.find<QLineEdit>("fALARM_PHONE_5")->text(), QStringLiteral("123456789012345"));
        QCOMPARE(p.ctx->settings().input(5).alarmPhone, "123456789012345678");
        QVERIFY(
            QString::fromStdString(p.ctx->doc.log().lines().back()).contains("(ALARM_PHONE.5)"));
        QVERIFY(!p.ctx->doc.isModified());
    }

    void openFromTheCommandLineShowsTheFile() {
        Program p;
        p.ctx->settings().objectName = "Sklep";
        p.ctx->doc.saveFile(p.path("x.bCFG").toStdString());
        Program q;
        q.window->openPath(p.path("x.bCFG"));
        QCOMPARE(q.ctx->settings().objectName, "Sklep");
        QCOMPARE(q.ui.lastText(), QString::fromUtf8(msg::kOpened));
    }

    void programThenReadThroughTheLinkWindow() {
        // The simulated module keeps its memory in a state file between the two sessions.
        QTemporaryDir state;
        Program p("sim:state=" + state.filePath("module.json"));
        p.ctx->settings().object = "7777";
        p.ctx->settings().input(6).alarmText = "Drzwi";
        QString log;
        finishLinkSessionWhenDone(&log);
        // A programmed module opens the monitor at once; close it when it shows.
        whenModal("TShowForm", [](QDialog* d) { d->done(0); });
        p.find<QToolButton>("writeButton")->click();
        QCOMPARE(p.window->linkWindow()->results().sessionResult, 1);
        QVERIFY2(log.contains("Port: sim"), qPrintable(log));
        QCOMPARE(p.ui.sounds.back(), Sound::Ding);

        p.find<QToolButton>("newConfig")->click(); // unchanged since the last save? it asks
        QCOMPARE(p.ctx->settings().object, "0001");
        finishLinkSessionWhenDone(&log);
        p.find<QToolButton>("ReadButton")->click();
        QCOMPARE(p.window->linkWindow()->results().sessionResult, 1);
        QCOMPARE(p.ctx->settings().object, "7777");
        QCOMPARE(p.ctx->settings().input(6).alarmText, "Drzwi");
        QVERIFY(!p.ctx->doc.isModified());
    }

    void failedReadKeepsTheWindowsSettings() {
        Program p("sim:silent");
        p.ctx->settings().object = "5555";
        QString log;
        finishLinkSessionWhenDone(&log);
        p.find<QToolButton>("ReadButton")->click();
        QCOMPARE(p.window->linkWindow()->results().sessionResult, -1);
        QVERIFY2(log.contains("Brak odpowiedzi po restarcie !"), qPrintable(log));
        QCOMPARE(p.ctx->settings().object, "5555");
        QVERIFY(p.ctx->doc.isModified()); // the edit is still there, so "Nowy" asks
    }

    void aPortThatFailsMidReadLeavesTheWindowAsItWas() {
        Program p("sim:readfail=300");
        p.ctx->settings().object = "4444";
        p.ctx->doc.form2tab();
        p.ctx->doc.storeEepTable();
        const auto stored = p.ctx->doc.storedImage();
        QString log;
        finishLinkSessionWhenDone(&log);
        p.find<QToolButton>("ReadButton")->click();
        QCOMPARE(p.window->linkWindow()->results().sessionResult, -1);
        QVERIFY(!p.window->linkWindow()->results().configImage);
        QVERIFY2(log.contains("Błąd otwarcia portu: sim"), qPrintable(log));
        QCOMPARE(p.ctx->settings().object, "4444");
        QVERIFY(p.ctx->doc.storedImage() == stored);
        QVERIFY(p.ui.texts().contains("Błąd otwarcia portu: sim"));
    }

    void passwordIsConfirmedAndMayBeEmptied() {
        Program p("sim:silent");
        p.ctx->settings().password = "12";
        whenModal("TpasswordForm", [](QDialog* d) {
            auto* edit = d->findChild<QLineEdit*>("confirmPasswordEdit");
            QCOMPARE(edit->text(), QStringLiteral("12"));
            edit->end(false);
            QTest::keyClicks(edit, "345"); // the fifth character is refused
            const bool limited = edit->text() == "1234";
            edit->setText(limited ? QString() : QStringLiteral("too long"));
            d->findChild<QPushButton*>("PasswordOkButton")->click();
        });
        finishLinkSessionWhenDone();
        p.find<QToolButton>("ReadButton")->click();
        QCOMPARE(p.ctx->settings().password, "");
        QCOMPARE(p.window->linkWindow()->request().password, "");
        // With the password empty nothing is asked before the next session.
        bool asked = false;
        whenModal(
            "TpasswordForm",
            [&](QDialog* d) {
                asked = true;
                d->accept();
            },
            3000);
        finishLinkSessionWhenDone();
        p.find<QToolButton>("ReadButton")->click();
        QVERIFY(!asked);
    }

    void erasePasswordAsksFirstAndKeepsTheRequest() {
        Program p("sim");
        p.ui.answers = {false};
        p.find<QToolButton>("clearPassButton")->click();
        QCOMPARE(p.window->linkWindow()->results().sessionResult, -1); // no session ran
        finishLinkSessionWhenDone();
        p.find<QToolButton>("clearPassButton")->click();
        QCOMPARE(p.window->linkWindow()->request().mode, LinkMode::erasePassword);
        QCOMPARE(p.window->linkWindow()->results().sessionResult, 1);
    }
};

QVPROG_GUI_TEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
