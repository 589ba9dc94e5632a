// "Wyślij SMS konfiguracyjne" on the simulated modem: a change from the module's latest archive
// entry sent and delivered into the simulated module, paused and resumed, a modem that vanishes
// mid-batch, the SIM's PIN asked for, and a window closed while sending.
#include "support/gui_test_support.hpp"

#include "archive/config_archive.hpp"
#include "gui/main_window/memo_form.hpp"
#include "gui/sms/sms_window.hpp"
#include "link/identification.hpp"
#include "sim/sim_memory.hpp"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

using namespace qv;
using namespace qv::gui;
using namespace qv::gui::test;

namespace {

constexpr int kWait = 30000;
const char* const kSerial = "7001234";

// A program whose module was read into the archive, then given another site name and phone in
// the window: the change to send.
struct SmsSetup {
    SmsSetup() {
        archive = p.path("archiwum.sqlite").toStdString();
        p.ctx->doc.form2tab();
        NewArchiveEntry read;
        read.image = p.ctx->doc.image();
        read.identity = parseIdentification(std::string("X/B/NAME_0503/") + kSerial);
        read.time = {2026, 12, 1, 9, 30, 0, 0};
        auto opened = ConfigArchive::open(archive, ConfigArchive::Access::create);
        opened.archive->add(read);
        p.ctx->settings().objectName = "Magazyn";
        p.ctx->settings().privPhones[0] = "600700800";
        p.window->smsSendClick();
        w = p.window->smsWindow();
        // The modem's virtual clock makes the usual pauses cost nothing.
        w->setArchivePath(archive);
        w->setNumber(QStringLiteral("600 100 200"));
        w->setBase(SmsWindow::BaseKind::archive, QString::fromLatin1(kSerial));
    }
    QString modem(const QString& options = {}) const {
        return QStringLiteral("sim-modem:deliver=") + p.path("module.json") + options;
    }
    // On the real clock: long enough between messages for a click to come first, short waits
    // for reports and replies.
    void slowly() {
        SmsSendOptions o;
        o.interval = std::chrono::milliseconds(1500);
        o.reportWait = std::chrono::seconds(2);
        o.replyWait = std::chrono::seconds(1);
        w->setSendOptions(o);
    }
    void send(const QString& port) {
        QVERIFY(w->prepare());
        w->findChild<QComboBox*>("smsPortCombo")->setEditText(port);
        click("smsSendButton");
    }
    void click(const char* name) const {
        auto* b = w->findChild<QPushButton*>(QString::fromLatin1(name));
        QVERIFY2(b && b->isEnabled(), name);
        b->click();
    }
    // Each message's state as the store names it ("pending", "delivered", ...).
    QStringList states() const {
        auto* t = w->findChild<QTableWidget*>("smsMessagesTable");
        QStringList out;
        for (int r = 0; r < t->rowCount(); ++r)
            out << (t->item(r, 3) ? t->item(r, 3)->data(Qt::UserRole).toString() : QString());
        return out;
    }
    bool allTaken() const {
        const auto s = states();
        return !s.isEmpty() && std::all_of(s.begin(), s.end(), [](const QString& x) {
            return x == "accepted" || x == "delivered";
        });
    }
    // Every message given to the modem once, and the simulated module holding each one's bytes.
    void checkSentOnceAndArrived() const {
        QVERIFY(w->batch());
        for (const auto& m : w->batch()->messages)
            QCOMPARE(m.attempts, 1);
        std::string error;
        const auto module = loadSimMemory(p.path("module.json").toStdString(), error);
        QVERIFY2(module, error.c_str());
        p.ctx->doc.form2tab();
        for (const auto& m : w->batch()->messages)
            for (std::size_t k = 0; k < 64 && m.offset + k < ConfigImage::kSize; ++k)
                if (!excludedFromSmsCommands(int(m.offset + k)))
                    QCOMPARE(module->image.bytes()[m.offset + k],
                             p.ctx->doc.image().bytes()[m.offset + k]);
    }
    std::vector<ArchiveEntrySummary> entries() const {
        return ConfigArchive::open(archive, ConfigArchive::Access::existing)
            .archive->entries(kSerial)
            .value;
    }

    Program p;
    std::string archive;
    SmsWindow* w = nullptr;
};

} // namespace

class SmsWindowTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void openedFromTheAddOnsTabAndFromTheListing() {
        Program p;
        auto* pages = p.find<QTabWidget>("PageControl");
        auto* addOns = pages->findChild<QWidget*>("TabAddOns");
        pages->setCurrentWidget(addOns);
        addOns->findChild<QPushButton*>("smsSendButton")->click();
        QTRY_VERIFY(p.window->smsWindow() && p.window->smsWindow()->isVisible());
        p.window->smsWindow()->close();
        QTRY_VERIFY(!p.window->smsWindow()->isVisible());

        whenModal(QStringLiteral("TFormMemo"), [](QDialog* memo) {
            memo->findChild<QPushButton*>("smsSendFromListingButton")->click();
        });
        p.window->smsListingClick();
        QTRY_VERIFY(p.window->smsWindow()->isVisible());
        QVERIFY(!p.window->memoForm()->isVisible());
    }

    void batchShownCountedSentAndDelivered() {
        SmsSetup s;
        QVERIFY(s.w->prepare());
        const int n = s.w->findChild<QTableWidget*>("smsMessagesTable")->rowCount();
        QVERIFY(n >= 2);
        QCOMPARE(s.w->findChild<QLabel*>("smsCountLabel")->text(),
                 QStringLiteral("%1 wiadomości SMS do wysłania").arg(n));
        QVERIFY(s.w->findChild<QLabel*>("smsBaseInfoLabel")->text().contains(kSerial));
        s.send(s.modem(QStringLiteral(",reply")));
        QTRY_VERIFY_WITH_TIMEOUT(!s.w->sending(), kWait);
        QTRY_VERIFY(s.allTaken());
        s.checkSentOnceAndArrived();
        // The module's replies, with their time, and the modem's state.
        QTRY_VERIFY(s.w->findChild<QTableWidget*>("smsRepliesTable")->rowCount() > 0);
        QVERIFY(s.w->findChild<QLabel*>("smsModemStateLabel")->text().contains("sygnał"));
        // The archive holds what the module should now have, not yet confirmed.
        const auto list = s.entries();
        QCOMPARE(list.size(), std::size_t(2));
        QCOMPARE(list.front().state, std::string(kStateSmsUnconfirmed));
        QCOMPARE(list.front().siteName, std::string("Magazyn"));

        // A read of the simulated module (the file the modem delivered into) shows the change.
        s.p.ctx->settings().objectName = "Sklep";
        s.p.ctx->settings().privPhones[0].clear();
        s.p.ctx->doc.setPortName("sim:state=" + s.p.path("module.json").toStdString());
        QString log;
        finishLinkSessionWhenDone(&log);
        s.p.find<QToolButton>("ReadButton")->click();
        QCOMPARE(s.p.ctx->settings().objectName, std::string("Magazyn"));
        QCOMPARE(s.p.ctx->settings().privPhones[0], std::string("600700800"));
    }

    void pausedThenResumedSendsEachMessageOnce() {
        SmsSetup s;
        s.slowly();
        s.send(s.modem(QStringLiteral(",realtime")));
        QTRY_VERIFY_WITH_TIMEOUT(
            s.states().contains("accepted") || s.states().contains("delivered"), kWait);
        s.click("smsPauseButton");
        QTRY_VERIFY_WITH_TIMEOUT(!s.w->sending(), kWait);
        QVERIFY(s.states().contains("pending"));
        s.click("smsResumeButton");
        QTRY_VERIFY_WITH_TIMEOUT(!s.w->sending() && s.allTaken(), kWait);
        s.checkSentOnceAndArrived();
    }

    void modemVanishingMidBatchLeavesTheUnknownOneToTheUser() {
        SmsSetup s;
        s.send(s.modem(QStringLiteral(",vanish=1")));
        QTRY_VERIFY_WITH_TIMEOUT(!s.w->sending(), kWait);
        QCOMPARE(s.states().front(), QStringLiteral("unknown"));
        QVERIFY(!s.w->findChild<QPushButton*>("smsResumeButton")->isEnabled());
        // The modem took it before it vanished: the user says it went out.
        s.click("smsUnknownSentButton");
        s.w->findChild<QComboBox*>("smsPortCombo")->setEditText(s.modem());
        s.click("smsResumeButton");
        QTRY_VERIFY_WITH_TIMEOUT(!s.w->sending() && s.allTaken(), kWait);
        s.checkSentOnceAndArrived();
        QVERIFY(s.w->batch()->messages.front().assumedSent);
    }

    void pinAskedOnceWhenTheSimWantsIt_data() {
        QTest::addColumn<QString>("pin");
        QTest::addColumn<bool>("sent");
        QTest::newRow("right") << QStringLiteral("1234") << true;
        QTest::newRow("wrong") << QStringLiteral("0000") << false;
        QTest::newRow("cancelled") << QString() << false;
    }
    void pinAskedOnceWhenTheSimWantsIt() {
        QFETCH(QString, pin);
        QFETCH(bool, sent);
        SmsSetup s;
        s.send(s.modem(QStringLiteral(",pin=1234")));
        QDialog* dialog = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT(
            (dialog = s.w->findChild<QDialog*>("smsPinDialog")) && dialog->isVisible(), kWait);
        dialog->findChild<QLineEdit*>("smsPinEdit")->setText(pin);
        auto* box = dialog->findChild<QDialogButtonBox*>("smsPinButtons");
        box->button(pin.isEmpty() ? QDialogButtonBox::Cancel : QDialogButtonBox::Ok)->click();
        QTRY_VERIFY_WITH_TIMEOUT(!s.w->sending(), kWait);
        QCOMPARE(s.allTaken(), sent);
        if (!sent) QVERIFY(s.states().contains("pending"));
        QTRY_VERIFY(!s.w->findChild<QDialog*>("smsPinDialog"));
    }

    // With QVPROG_SCREENSHOT_DIR set: the window in the middle of a batch, saved there.
    void screenshotDuringABatch() {
        const QString dir = qEnvironmentVariable("QVPROG_SCREENSHOT_DIR");
        if (dir.isEmpty()) QSKIP("QVPROG_SCREENSHOT_DIR names the folder for the picture");
        SmsSetup s;
        s.p.ctx->settings().privPhones[1] = "511222333";
        s.p.ctx->settings().apn = "internet.example";
        s.slowly();
        s.w->show();
        QVERIFY(QTest::qWaitForWindowExposed(s.w));
        s.send(s.modem(QStringLiteral(",realtime,reply")));
        QTRY_VERIFY_WITH_TIMEOUT(s.w->findChild<QTableWidget*>("smsRepliesTable")->rowCount() > 0,
                                 kWait);
        QVERIFY(s.w->grab().save(dir + QStringLiteral("/sms-window.png")));
        s.click("smsPauseButton");
        QTRY_VERIFY_WITH_TIMEOUT(!s.w->sending(), kWait);
    }

    void closingTheProgramWhileSendingStopsTheBatchFirst() {
        SmsSetup s;
        s.slowly();
        s.send(s.modem(QStringLiteral(",realtime")));
        s.p.ui.answers = {true};
        s.p.window->close();
        QVERIFY(s.p.window->isVisible()); // not yet: the batch stops first
        QTRY_VERIFY_WITH_TIMEOUT(!s.w->sending(), kWait);
        QVERIFY(!s.w->batch()->finished());
    }

    void closedWhileSendingStopsAndTheBatchIsOfferedAgain() {
        SmsSetup s;
        s.slowly();
        s.send(s.modem(QStringLiteral(",realtime")));
        QTRY_VERIFY_WITH_TIMEOUT(
            s.states().contains("accepted") || s.states().contains("delivered"), kWait);
        s.p.ui.answers = {true};
        s.w->close();
        QVERIFY(s.p.ui.lastText().contains("Przerwać"));
        QTRY_VERIFY_WITH_TIMEOUT(!s.w->isVisible() && !s.w->sending(), kWait);

        // Another window (the program started again): the unfinished batch to this number is
        // offered and finished.
        SmsWindow again(*s.p.ctx);
        s.w = &again;
        again.setArchivePath(s.archive);
        s.slowly();
        again.findChild<QComboBox*>("smsPortCombo")->setEditText(s.modem(",realtime"));
        again.setNumber(QStringLiteral("+48600100200"));
        QVERIFY(!again.findChild<QLabel*>("smsUnfinishedLabel")->isHidden());
        s.click("smsContinueButton");
        s.click("smsResumeButton");
        QTRY_VERIFY_WITH_TIMEOUT(!s.w->sending() && s.allTaken(), kWait);
        s.checkSentOnceAndArrived();
    }
};

QVPROG_GUI_TEST_MAIN(SmsWindowTest)
#include "sms_window_test.moc"
