// The monitor window as a technician meets it: what the module's lines show, the banners, the
// reset history, the commands on the simulated module (restart pulse, clock command), the
// bad-PIN stop, a port that cannot be opened, and the service terminal.
#include "support/gui_test_support.hpp"

#include "gui/monitor/monitor_reader.hpp"
#include "gui/monitor/monitor_window.hpp"
#include "gui/monitor/resets_window.hpp"
#include "gui/monitor/terminal_window.hpp"
#include "monitor/monitor_commands.hpp"
#include "platform/port_target.hpp"
#include "sim/monitor_stream.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QEnterEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimeEdit>
#include <QToolButton>

using namespace qv;
using namespace qv::gui;
using namespace qv::gui::test;

namespace {

// A monitor window on its own, in a scratch folder whose QVPROG2.INI names the port.
struct Monitor {
    explicit Monitor(const QString& port = QStringLiteral("sim"), bool reverseReset = false,
                     bool serviceMode = false) {
        QFile ini(dir.filePath(QStringLiteral("QVPROG2.INI")));
        if (ini.open(QIODevice::WriteOnly))
            ini.write("[SETTINGS]\r\nport=" + port.toUtf8() +
                      "\r\nreverse_reset=" + (reverseReset ? "1" : "0") + "\r\n");
        ini.close();
        if (serviceMode) {
            QFile marker(dir.filePath(QStringLiteral("qvxlock.txt")));
            marker.open(QIODevice::WriteOnly);
        }
        ctx = std::make_unique<AppContext>(dir.path().toStdString() + "/", ui);
        ctx->doc.startUp("COM1");
        window = std::make_unique<MonitorWindow>(*ctx);
        // The simulated module's start-up takes seconds on its clock: run it faster.
        window->reader().setVirtualTimeScale(25);
    }
    QTemporaryDir dir;
    ScriptedUi ui;
    std::unique_ptr<AppContext> ctx;
    std::unique_ptr<MonitorWindow> window;

    template <class T> T* find(const QString& name) const { return window->findChild<T*>(name); }
    QString text(const char* name) const { return find<QLabel>(name)->text(); }
    QString tip(const char* name) const { return find<QWidget>(name)->toolTip(); }
    QString indicator(const QString& name) const {
        return find<QLabel>(name)->property("indicator").toString();
    }
    void feed(const QByteArray& bytes) {
        window->receiveBytes(bytes);
        window->refreshView();
    }
    void line(const QByteArray& l) { feed(l + "\r\n"); }
    // Runs the monitor modally; action runs once it is shown and must close it. A monitor
    // still open after timeoutMs is closed, so a failing test cannot hang: false then.
    bool run(std::function<void(MonitorWindow*)> action, int timeoutMs = 2 * kPatienceMs) {
        MonitorWindow* w = window.get();
        whenModal(QStringLiteral("TShowForm"), [action, w](QDialog*) { action(w); });
        bool timedOut = false;
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, w, [w, &timedOut] {
            if (!w->isVisible()) return;
            timedOut = true;
            w->done(0);
        });
        guard.start(timeoutMs);
        window->runMonitor();
        return !timedOut;
    }
    std::string sentBytes() {
        std::string log;
        window->reader().inspect([&](PortTarget& t) { log = t.sim()->module().receivedLog(); });
        return log;
    }
    std::vector<SimPort::RtsChange> rtsHistory() {
        std::vector<SimPort::RtsChange> h;
        window->reader().inspect(
            [&](PortTarget& t) { h = static_cast<SimPort&>(t.port()).rtsHistory(); });
        return h;
    }
};

QColor highlight(QWidget* w) {
    return w->palette().color(QPalette::Highlight);
}

// AddressSanitizer keeps freed memory in quarantine, so the resident figure grows there even
// when nothing is kept: the memory bound is checked only in builds without it.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kFreedMemoryIsQuarantined = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kFreedMemoryIsQuarantined = true;
#else
constexpr bool kFreedMemoryIsQuarantined = false;
#endif
#else
constexpr bool kFreedMemoryIsQuarantined = false;
#endif

// The program's resident memory in KiB (Linux), or -1.
long long residentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLongLong();
    return -1;
}

} // namespace

class MonitorWindowTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase() {
        // The values are shown with the system's decimal separator: a comma here.
        QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
    }

    void shortStatusLineShowsVoltagesAndQuestionMarks() {
        Monitor m;
        m.line("AT+QVXS=0;7A;7D");
        QCOMPARE(m.text("ac"), QStringLiteral("12,7V"));
        QCOMPARE(m.tip("ac"), QStringLiteral("0x7A"));
        QCOMPARE(m.text("accu"), QStringLiteral("13,5V"));
        for (const char* name : {"analog3", "analog4", "gprs", "apn", "testPeriod", "csq"})
            QCOMPARE(m.text(name), QStringLiteral("?"));
        QCOMPARE(m.find<QProgressBar>("historyUsage")->value(), 0);
        QCOMPARE(m.indicator("inputLight0"), QStringLiteral("unknown"));
        QCOMPARE(m.tip("inputLight0"), QStringLiteral("Brak danych"));
        QCOMPARE(m.indicator("output4"), QStringLiteral("unknown"));
        QCOMPARE(m.text("receivedPanel"), QStringLiteral(" Odebrano: 17"));
    }

    void signalLevelTemperatureAndBufferFill() {
        Monitor m;
        auto* gauge = m.find<QProgressBar>("csqGauge");
        const struct {
            QByteArray field;
            const char* shown;
            QColor colour;
        } levels[] = {{"1F", "100%", QColor(0, 255, 0)},
                      {"10", "51%", QColor(255, 255, 0)},
                      {"07", "22%", QColor(255, 0, 0)}};
        for (const auto& l : levels) {
            m.line("AT+QVXS=0;0;0;0;0;0;1;" + l.field);
            QCOMPARE(m.text("csq"), QString::fromLatin1(l.shown));
            QCOMPARE(highlight(gauge), l.colour);
            QCOMPARE(gauge->toolTip(), "0x" + QString::fromLatin1(l.field));
        }
        m.line("AT+QVXS=0;0;0;0;0;0;1;63");
        QCOMPARE(m.text("csq"), QStringLiteral("0%"));
        QCOMPARE(gauge->toolTip(), QStringLiteral("99"));
        QCOMPARE(gauge->value(), 0);
        QCOMPARE(highlight(gauge), QColor(255, 0, 0)); // left as it was
        QCOMPARE(m.text("creg"), QStringLiteral("Połączony"));
        // Green, in the shade that reads on the window's face.
        QCOMPARE(m.find<QLabel>("creg")->palette().color(QPalette::WindowText), QColor(0, 0x70, 0));

        m.line("AT+QVXS=0;0;0;0;0;0;1;1F;4;8;0;7FFF;0;7FFF;111111111111111;C6;02;5A0;FFF6;E1");
        QCOMPARE(m.text("LabelTLevel1"), QStringLiteral("-1,0 C"));
        QCOMPARE(m.text("labelTLevel2"), QStringLiteral("22,5 C"));
        QCOMPARE(m.find<QProgressBar>("historyUsage")->value(), 4);
        QCOMPARE(m.text("testPeriod"), QStringLiteral("1440 min."));
        QCOMPARE(m.text("apn"), QStringLiteral("Połączony z serwerem"));
        QCOMPARE(m.text("gprs"), QStringLiteral("TAK"));
    }

    void inputColumnsPanelMarksLocksAndOutputs() {
        Monitor m;
        // Panel on, "We 1" (bit 4) clear: armed, every panel mark blank.
        m.line("AT+QVXS=0;0;0;0;0;0;1;1F;0;0;1;7FEF;5;0;011111111111110");
        QCOMPARE(m.text("centralkaLabel"), QStringLiteral("Uzbrojona"));
        QCOMPARE(m.indicator("inputLight4"), QStringLiteral("alarm"));
        QCOMPARE(m.tip("inputLight4"), QStringLiteral("Alarm na wejściu"));
        QCOMPARE(m.indicator("inputLight0"), QStringLiteral("noAlarm"));
        QCOMPARE(m.tip("inputLight0"), QStringLiteral("Brak alarmu na wejściu"));
        for (int i = 0; i < kMonitorInputs; ++i)
            QCOMPARE(m.indicator(QStringLiteral("panelMark%1").arg(i)), QStringLiteral("blank"));
        QCOMPARE(m.indicator("lockMark0"), QStringLiteral("padlock"));
        QCOMPARE(m.indicator("lockMark1"), QStringLiteral("blank"));
        QCOMPARE(m.indicator("lockMark14"), QStringLiteral("padlock"));
        QCOMPARE(m.indicator("output0"), QStringLiteral("closed"));
        QCOMPARE(m.tip("output0"), QStringLiteral("Przekaźnik zwarty"));
        QCOMPARE(m.indicator("output1"), QStringLiteral("open"));
        QCOMPARE(m.tip("output1"), QStringLiteral("Przekaźnik rozwarty"));
        QCOMPARE(m.indicator("output2"), QStringLiteral("closed"));

        // Disarmed: inputs outside the panel mask are crossed out.
        m.line("AT+QVXS=0;0;0;0;0;0;1;1F;0;0;1;7FFF;0;7FF7;111111111111111");
        QCOMPARE(m.text("centralkaLabel"), QStringLiteral("Rozbrojona"));
        QCOMPARE(m.indicator("panelMark3"), QStringLiteral("cross"));
        QCOMPARE(m.indicator("panelMark2"), QStringLiteral("blank"));

        // The indicators sit where the window's layout puts them.
        QCOMPARE(m.find<QLabel>("inputLight0")->pos(), QPoint(16, 36));
        QCOMPARE(m.find<QLabel>("lockMark14")->pos(), QPoint(512, 46));
        QCOMPARE(m.find<QLabel>("inputCaption1")->text(), QStringLiteral("  AC"));
        QCOMPARE(m.find<QLabel>("output4")->pos(), QPoint(400, 36));
        QCOMPARE(m.find<QLabel>("outputCaption4")->pos(), QPoint(371, 20));
    }

    void bannersWaitFadeAndSilenceMessage() {
        Monitor m;
        auto* wait = m.find<QLabel>("labelWait");
        auto* config = m.find<QLabel>("labelConfig");
        m.window->refreshView();
        QVERIFY(!wait->isHidden());
        QVERIFY(config->isHidden());
        m.line("AT+QVXS=0;7A");
        QVERIFY(wait->isHidden());
        m.feed("\x04\r");
        QVERIFY(!config->isHidden());
        QVERIFY(wait->isHidden());
        for (int s = 0; s < 3; ++s)
            m.window->tickSecond();
        m.window->refreshView();
        QCOMPARE(wait->text(), QStringLiteral("Oczekiwanie na dane (2sek.)"));
        QCOMPARE(wait->palette().color(QPalette::Window), QColor(6, 244, 0));
        QVERIFY(!config->isHidden()); // still within 15 s
        for (int s = 3; s < 16; ++s)
            m.window->tickSecond();
        m.window->refreshView();
        QVERIFY(!wait->isHidden());
        QVERIFY(config->isHidden());

        for (int s = 16; s < 121; ++s)
            m.window->tickSecond();
        QCOMPARE(m.ui.texts().count(QString::fromUtf8(kSilenceMessage.data())), 1);
        QCOMPARE(m.window->model().silenceSeconds(), 0);
        QVERIFY(m.window->model().timerRunning()); // the message was dismissed: waiting goes on
    }

    void eventsResetCauseRingAndResetsWindow() {
        Monitor m;
        m.line("AT+QVXH=00030000001805110C22320A017FFF01A08700");
        m.line("AT+QVXH=00030000001805110C22320AFF1130010100030000");
        auto* events = m.find<QPlainTextEdit>("MemoHistory");
        const QStringList lines = events->toPlainText().split('\n');
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], QStringLiteral("2024-05-17 12:35:00 TEST przyciskiem"));
        QVERIFY(lines[1].endsWith(QStringLiteral("DTMF P:01 C:1130 G:01 Z:0003")));

        m.line("AT+QVXR=F1");
        QCOMPARE(m.text("labelReset"), QStringLiteral("Watchdog"));
        QCOMPARE(m.tip("labelReset"), QStringLiteral("0xF1"));
        m.line("+CLIP: \"123456789\",129");
        QCOMPARE(m.ui.sounds.size(), std::size_t(1));
        QCOMPARE(m.ui.sounds[0], Sound::Ring);

        // The caption opens the reset history, and is underlined while the pointer is over it.
        auto* caption = m.find<QLabel>("resetsCaption");
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
        QApplication::sendEvent(caption, &enter);
        QVERIFY(caption->font().underline());
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(caption, &leave);
        QVERIFY(!caption->font().underline());
        m.window->show();
        QString resets;
        whenModal(QStringLiteral("TresetsForm"), [&](QDialog* d) {
            resets = d->findChild<QPlainTextEdit*>()->toPlainText();
            d->done(0);
        });
        QTest::mouseClick(caption, Qt::LeftButton);
        QVERIFY(QRegularExpression(
                    QStringLiteral(R"(^\d\d-\d\d-\d\d \d\d:\d\d:\d\d Watchdog \(0xF1\)$)"))
                    .match(resets)
                    .hasMatch());
        m.window->hide();
    }

    void clockSyncFollowsSimReadyAndRestart() {
        Monitor m;
        auto* sync = m.find<QToolButton>("syncTimeButton");
        QVERIFY(!sync->isEnabled());
        m.line("+CPIN: READY ");
        QVERIFY(!sync->isEnabled()); // a trailing blank is another line
        m.line("+CPIN: READY");
        QVERIFY(sync->isEnabled());
        QCOMPARE(m.text("sim"), QStringLiteral("OK"));
        m.line("AT+QVXS=0;7A;7D;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;FFF6;0;0;0;2");
        m.window->restartDevice(); // no port: only the display is reset
        QVERIFY(!sync->isEnabled());
        QCOMPARE(m.text("ac"), QStringLiteral("?"));
        QCOMPARE(m.text("LabelTLevel1"), QStringLiteral("-1,0 C")); // kept by the restart
        QCOMPARE(m.text("LabelLine"), QStringLiteral("Podniesiona"));
        QCOMPARE(m.text("receivedPanel"), QStringLiteral(" Odebrano: 0"));
    }

    void restartPulsesResetLineBothWays() {
        for (const bool reverse : {false, true}) {
            Monitor m(QStringLiteral("sim"), reverse);
            QString panel;
            m.run([&](MonitorWindow* w) {
                w->findChild<QToolButton*>(QStringLiteral("restartButton"))->click();
                panel = w->findChild<QLabel*>(QStringLiteral("receivedPanel"))->text();
                (void)QTest::qWaitFor([&] { return m.rtsHistory().size() >= 4; }, kPatienceMs);
                w->done(0);
            });
            QCOMPARE(panel, QStringLiteral(" Odebrano: 0"));
            const auto h = m.rtsHistory();
            QCOMPARE(h.size(), std::size_t(4));
            QCOMPARE(h[1].on, reverse);  // released when the window is shown
            QCOMPARE(h[2].on, !reverse); // asserted for 500 ms
            QCOMPARE(h[3].on, reverse);
            QCOMPARE(h[3].at - h[2].at, Clock::Duration(kResetPulse));
        }
    }

    void synchronizeTimeSendsClockCommandOnceSimIsReady() {
        Monitor m;
        bool enabled = false;
        std::string sent;
        m.run([&](MonitorWindow* w) {
            auto* sync = w->findChild<QToolButton*>(QStringLiteral("syncTimeButton"));
            enabled = QTest::qWaitFor([&] { return sync->isEnabled(); }, kPatienceMs);
            m.window->reader().inspect([](PortTarget& t) { t.sim()->module().clearReceivedLog(); });
            sync->click();
            (void)QTest::qWaitFor([&] { return !m.ui.shown.empty(); }, kPatienceMs);
            sent = m.sentBytes();
            w->done(0);
        });
        QVERIFY(enabled);
        QCOMPARE(m.ui.lastText(), QString::fromUtf8(kClockSentMessage.data()));
        const auto match =
            QRegularExpression(
                QStringLiteral("^AT\\+1\r\nAT\\+CCLK=\"(\\d\\d/\\d\\d/\\d\\d,"
                               "\\d\\d:\\d\\d:\\d\\d)\\+00\"\r\nAT\\+1\r\nAT\\+0\r\n$"))
                .match(QString::fromStdString(sent));
        QVERIFY2(match.hasMatch(), sent.c_str());
        const QDateTime stamp =
            QDateTime::fromString("20" + match.captured(1), "yyyy/MM/dd,HH:mm:ss");
        QVERIFY(qAbs(stamp.secsTo(QDateTime::currentDateTime())) < 10);
        QCOMPARE(m.window->terminal()->command()->text(), QStringLiteral("AT+0"));
        const auto& log = m.window->model().lineLog();
        QCOMPARE(std::count(log.begin(), log.end(), std::string(kTerminalMarker)), 2);
    }

    // A port that fails while the monitor runs: the message says what failed, on which port,
    // and then the system's words.
    void aFailingClockSyncNamesTheOperationAndThePort() {
        Monitor m(QStringLiteral("sim:writefail=1"));
        m.run([&](MonitorWindow* w) {
            auto* sync = w->findChild<QToolButton*>(QStringLiteral("syncTimeButton"));
            if (QTest::qWaitFor([&] { return sync->isEnabled(); }, kPatienceMs)) sync->click();
            (void)QTest::qWaitFor([&] { return !m.ui.shown.empty(); }, kPatienceMs);
            w->done(0);
        });
        QCOMPARE(m.ui.texts(), QStringList{QString::fromUtf8(
                                   "Błąd synchronizacji czasu (port sim): Input/output error")});
    }

    void badPinHoldsModuleInResetAndCloses() {
        Monitor m(QStringLiteral("sim:badpin"));
        QVERIFY(m.run([](MonitorWindow*) {})); // closes itself at the batch after reset cause 03
        QCOMPARE(m.ui.texts().count(QString::fromUtf8(kBadPinMessage.data())), 1);
        QCOMPARE(m.text("labelReset"), QStringLiteral("Błąd PIN"));
        const auto h = m.rtsHistory();
        QVERIFY(!h.empty());
        QVERIFY(h.back().on); // asserted, and left so when the port closed
        bool open = true;
        m.window->reader().inspect([&](PortTarget& p) { open = p.port().isOpen(); });
        QVERIFY(!open);
    }

    void portThatCannotBeOpenedClosesTheWindow() {
        Monitor m(QStringLiteral("/dev/qvprog-no-such-port"));
        QVERIFY(m.run([](MonitorWindow*) {})); // closes itself
        // The first line as before, then what happened and what to do, from the system.
        QCOMPARE(m.ui.texts().size(), 1);
        const QStringList lines = m.ui.texts().front().split('\n');
        QCOMPARE(lines.front(), QStringLiteral("Błąd otwarcia portu /dev/qvprog-no-such-port"));
        QVERIFY2(lines.size() > 1 && lines.mid(1).join(' ').contains("/dev/qvprog-no-such-port"),
                 qPrintable(m.ui.texts().front()));
    }

    void terminalSendsOnlyWithACommandAndKeepsItsLogs() {
        Monitor m(QStringLiteral("sim"), false, true);
        bool shown = false;
        QRect where, monitor;
        std::string afterEmpty, afterSend;
        m.run([&](MonitorWindow* w) {
            TerminalWindow* term = w->terminal();
            shown = term->isVisible();
            where = term->frameGeometry();
            monitor = w->frameGeometry();
            m.window->reader().inspect([](PortTarget& t) { t.sim()->module().clearReceivedLog(); });
            term->command()->clear();
            term->findChild<QPushButton*>(QStringLiteral("AtCmdButton"))->click();
            term->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
            afterEmpty = m.sentBytes();
            term->command()->setText(QStringLiteral("AT+CSQ"));
            QTest::keyClick(term->command(), Qt::Key_Return);
            // The port thread sends in order: anything the empty clicks had sent would come
            // before the command.
            (void)QTest::qWaitFor([&] { return m.sentBytes().size() >= 14; }, kPatienceMs);
            afterSend = m.sentBytes();
            w->done(0);
        });
        QVERIFY(shown);
        QVERIFY(!where.intersects(monitor)); // beside the monitor, not over it
        QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().contains(where));
        QCOMPARE(afterEmpty, std::string());
        QCOMPARE(afterSend, std::string("AT+1\r\nAT+CSQ\r\n"));
        QVERIFY(!m.window->terminal()->isVisible()); // closed with the monitor
    }

    void terminalLineLogEmptiesPastAThousandLines() {
        Monitor m(QStringLiteral("sim"), false, true);
        TerminalWindow* term = m.window->terminal();
        auto* memo = term->findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
        m.window->receiveBytes("AB\r\nAT+QVXS=0;7A\r\n");
        term->refresh(m.window->model());
        QCOMPARE(term->findChild<QPlainTextEdit*>(QStringLiteral("Memo2"))
                     ->toPlainText()
                     .section('\n', 0, 3),
                 QStringLiteral("41 A\n42 B\n0D .\n0A ."));
        QCOMPARE(term->findChild<QTableWidget*>(QStringLiteral("StringGrid1"))->item(2, 0)->text(),
                 QStringLiteral("AT+QVXS=0;7A"));
        QByteArray many;
        for (int i = 2; i < 1000; ++i)
            many += "x\r";
        m.window->receiveBytes(many); // with the two lines above: 1000 lines
        term->refresh(m.window->model());
        QCOMPARE(memo->blockCount(), 1000);
        QVERIFY(memo->toPlainText().endsWith(QStringLiteral(" x")));
        m.window->receiveBytes("y\r");
        term->refresh(m.window->model());
        QVERIFY(memo->toPlainText().isEmpty());
        m.window->receiveBytes("z\r");
        term->refresh(m.window->model());
        QCOMPARE(memo->blockCount(), 1);
        QVERIFY(memo->toPlainText().endsWith(QStringLiteral(" z")));
    }

    void theMonitorsPortKeepsAtMostItsBuffer() {
        Monitor m;
        std::size_t size = 0;
        m.run([&](MonitorWindow* w) {
            w->reader().inspect(
                [&](PortTarget& t) { size = static_cast<SimPort&>(t.port()).readBufferSize(); });
            w->done(0);
        });
        QCOMPARE(size, std::size_t(1024));
    }

    void aSenderFasterThanTheWindowIsDroppedAndCountedNotKept() {
        if (residentKiB() < 0) QSKIP("no resident memory figure on this system");
        Monitor m;
        QByteArray stream;
        while (stream.size() < 1 << 20)
            stream += "AT+QVXS=0;7A;7D;0;0;0;1;1F;2;4;0;7FFF;1;0;\"111111111111111\"\r\n";
        m.window->setReplay(stream, 500 << 20); // far more than the window takes
        long long before = 0, after = 0;
        qint64 inFlight = 0;
        bool dropping = false;
        m.run([&](MonitorWindow* w) {
            MonitorReader& reader = w->reader();
            QTRY_VERIFY_WITH_TIMEOUT(w->model().receivedCount() > 0, kPatienceMs);
            before = residentKiB();
            // The window takes nothing for a while: the reader goes on reading, and drops what
            // it has no room for; ten times the room has gone by when the window wakes up.
            const qint64 droppedBefore = reader.bytesDropped();
            dropping = blockUntil([&] {
                return reader.bytesDropped() - droppedBefore >= 10 * MonitorReader::kMaxInFlight;
            });
            after = residentKiB();
            inFlight = reader.bytesInFlight();
            // It catches up with what it was handed, and tells of the bytes dropped.
            QTRY_VERIFY_WITH_TIMEOUT(
                m.find<QLabel>("receivedPanel")->text().contains(QString::fromUtf8("pominięto")),
                kPatienceMs);
            w->done(0);
        });
        QVERIFY(dropping);
        QVERIFY2(inFlight <= MonitorReader::kMaxInFlight, qPrintable(QString::number(inFlight)));
        if (!kFreedMemoryIsQuarantined)
            QVERIFY2(after - before < 3 * 1024,
                     qPrintable(QStringLiteral("grew by %1 KiB").arg(after - before)));
        const auto& model = m.window->model();
        QVERIFY(model.droppedCount() > 0);
        QVERIFY(model.receivedCount() > model.droppedCount());
        QVERIFY(m.find<QLabel>("receivedPanel")->text().contains(QString::fromUtf8("pominięto")));
    }

    void trendsShowTheSessionWithStatisticsSwitchesAndCsv() {
        Monitor m;
        sim::MonitorStream::Options o;
        o.mainsLossSecond = 20;
        o.inputAlarmSecond = 30;
        sim::MonitorStream stream(o);
        for (int s = 1; s <= 120; ++s)
            m.feed(QByteArray::fromStdString(stream.advanceTo(std::chrono::seconds(s))));
        const TrendStore& trends = m.window->trends();
        QCOMPARE(trends.size(), std::size_t{120});
        QVERIFY(trends.marks().size() >= 3); // mains, "We 2" and the output
        auto* trendsButton = m.find<QToolButton>("trendsButton");
        QCOMPARE(trendsButton->text(), QStringLiteral("Wykresy"));
        trendsButton->click();
        QCOMPARE(m.find<QStackedWidget>("monitorPages")->currentWidget()->objectName(),
                 QStringLiteral("trendView"));
        m.window->refreshView();
        // The battery fell: its minimum is below its maximum, with the window's separator.
        const QString accu = m.find<QLabel>("trendStats1")->text();
        QVERIFY2(accu.startsWith(QStringLiteral("min 12,")) && accu.endsWith(QStringLiteral(" V")),
                 qPrintable(accu));
        QCOMPARE(m.find<QLabel>("trendStats6")->text().right(2), QStringLiteral(" %"));
        QVERIFY(m.find<QLabel>("trendStats2")->text().startsWith(QStringLiteral("min 0,")));
        auto* ac = m.find<QCheckBox>("trendSeries0");
        QCOMPARE(ac->text(), QStringLiteral("Napięcie AC [V]"));
        ac->setChecked(false);
        m.find<QComboBox>("trendSpanCombo")->setCurrentIndex(1);
        m.find<QComboBox>("trendAxisCombo")->setCurrentIndex(1);
        m.window->resize(m.window->sizeHint());
        QVERIFY(!m.find<QWidget>("trendChart")->grab().isNull());

        const QString csv = m.dir.filePath(QStringLiteral("trendy.csv"));
        m.ui.fileNames.push_back(csv);
        m.find<QToolButton>("csvButton")->click();
        QFile f(csv);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> rows = f.readAll().split('\n');
        QCOMPARE(rows.size(), 122); // header, 120 rows, nothing after the last CR LF
        QVERIFY(rows[0].startsWith("Czas komputera,Czas modu\xB3u,"));
        QVERIFY(m.text("recordPanel").contains(QStringLiteral("120 wierszy")));
        trendsButton->click(); // back to the values
        QCOMPARE(m.find<QStackedWidget>("monitorPages")->currentIndex(), 0);
    }

    void aRecordingReplaysInTheWindowWithItsControls() {
        Monitor live;
        const QString file = live.dir.filePath(QStringLiteral("sesja.qvmon"));
        live.ui.fileNames.push_back(file);
        live.find<QToolButton>("recordButton")->click();
        QVERIFY(live.window->recording());
        QVERIFY(live.find<QToolButton>("recordButton")->isChecked());
        sim::MonitorStream::Options o;
        o.mainsLossSecond = 10;
        o.inputAlarmSecond = 15;
        sim::MonitorStream stream(o);
        for (int s = 1; s <= 40; ++s) {
            live.feed(QByteArray::fromStdString(stream.advanceTo(std::chrono::seconds(s))));
            // The batches arrive at different times: the recording's clock moves on first.
            const auto next = live.ctx->clock.now() + std::chrono::milliseconds(5);
            QTRY_VERIFY_WITH_TIMEOUT(live.ctx->clock.now() >= next, kPatienceMs);
        }
        QVERIFY(live.text("recordPanel").startsWith(QStringLiteral("Nagrywanie: sesja.qvmon")));
        live.find<QToolButton>("recordButton")->click();
        QVERIFY(!live.window->recording());

        Monitor m;
        QVERIFY(m.find<QWidget>("replayBar")->isHidden());
        m.ui.fileNames.push_back(file);
        m.find<QToolButton>("replayButton")->click();
        QVERIFY(m.window->replaying());
        QVERIFY(!m.find<QWidget>("replayBar")->isHidden());
        QVERIFY(m.ui.shown.empty()); // an intact recording opens without a message
        QVERIFY(!m.find<QToolButton>("restartButton")->isEnabled());
        QVERIFY(!m.find<QToolButton>("recordButton")->isEnabled());
        const qint64 end = m.window->replay()->duration();
        QVERIFY(end > 0);

        // Jump to the end: what the live window showed when the recording stopped.
        m.find<QTimeEdit>("replayJumpTime")->setTime(QTime(0, 10, 0));
        m.find<QToolButton>("replayJumpButton")->click();
        QCOMPARE(m.window->replay()->position(), end);
        for (auto v : {MonitorValue::Ac, MonitorValue::Accu, MonitorValue::ResetCause,
                       MonitorValue::Sim, MonitorValue::Csq, MonitorValue::DateTime})
            QCOMPARE(m.window->model().value(v).text, live.window->model().value(v).text);
        QCOMPARE(m.window->model().events(), live.window->model().events());
        QCOMPARE(m.text("ac"), live.text("ac"));
        QCOMPARE(m.find<QPlainTextEdit>("MemoHistory")->toPlainText(),
                 live.find<QPlainTextEdit>("MemoHistory")->toPlainText());
        QCOMPARE(m.window->trends().size(), live.window->trends().size());

        // Back to the start, then play at x100: 40 ms of the timer is 4 s of the recording.
        m.find<QTimeEdit>("replayJumpTime")->setTime(QTime(0, 0, 0));
        m.find<QToolButton>("replayJumpButton")->click();
        QCOMPARE(m.window->replay()->position(), qint64{0});
        QVERIFY(m.find<QPlainTextEdit>("MemoHistory")->toPlainText().isEmpty());
        m.find<QComboBox>("replaySpeedCombo")->setCurrentIndex(2);
        m.find<QToolButton>("replayPlayButton")->click();
        QCOMPARE(m.find<QToolButton>("replayPlayButton")->text(), QStringLiteral("Wstrzymaj"));
        m.window->replayTick(1);
        QCOMPARE(m.window->replay()->position(), std::min<qint64>(100, end));
        m.window->refreshView();
        QCOMPARE(m.text("replayTimeLabel"),
                 QStringLiteral("00:00:00 / ") + QString::fromStdString(formatSpan(end)));
        m.window->replayTick(40); // past the end: the replay stops there
        QCOMPARE(m.window->replay()->position(), end);
        m.window->refreshView();
        QCOMPARE(m.find<QToolButton>("replayPlayButton")->text(), QStringLiteral("Odtwarzaj"));
        QCOMPARE(m.find<QSlider>("replaySlider")->value(), static_cast<int>(end / 1000));
        QCOMPARE(m.window->model().events(), live.window->model().events());
        m.find<QToolButton>("replayPlayButton")->click(); // from the start again
        QCOMPARE(m.window->replay()->position(), qint64{0});
        m.find<QToolButton>("replayPlayButton")->click(); // pause
        m.window->refreshView();
        QCOMPARE(m.find<QToolButton>("replayPlayButton")->text(), QStringLiteral("Odtwarzaj"));
        for (const char* name :
             {"replayPlayButton", "replaySpeedCombo", "replaySlider", "replayJumpTime"})
            QVERIFY2(!m.find<QWidget>(name)->accessibleName().isEmpty(), name);

        // A recording cut short opens up to the damage, with the message.
        QFile whole(file);
        QVERIFY(whole.open(QIODevice::ReadOnly));
        const QByteArray bytes = whole.readAll();
        const QString cut = m.dir.filePath(QStringLiteral("urwany.qvmon"));
        QFile out(cut);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(bytes.left(bytes.size() - 5));
        out.close();
        QVERIFY(m.window->openRecording(cut));
        QVERIFY(
            m.ui.lastText().startsWith(QStringLiteral("Zapis monitora jest uszkodzony od bajtu")));
        // Not a recording: refused, the replay before it goes on.
        QVERIFY(!m.window->openRecording(m.dir.filePath(QStringLiteral("QVPROG2.INI"))));
        QVERIFY(m.ui.lastText().startsWith(QStringLiteral("Plik nie jest zapisem monitora")));
        QVERIFY(m.window->replaying());
    }

    // Not a check: with QVPROG_SCREENSHOT_DIR set, saves the monitor fed by the simulated
    // module (scripts/screenshot-monitor.sh).
    void screenshotOnSimulatedModule() {
        const QString out = qEnvironmentVariable("QVPROG_SCREENSHOT_DIR");
        if (out.isEmpty()) QSKIP("QVPROG_SCREENSHOT_DIR not set");
        Monitor m;
        m.run([&](MonitorWindow* w) {
            // About 75 s of the module's stream.
            QTRY_VERIFY_WITH_TIMEOUT(w->trends().size() >= 75, 2 * kPatienceMs);
            w->refreshView();
            settleLayouts();
            w->grab().save(out + QStringLiteral("/monitor.png"));
            w->done(0);
        });
        // The trends of ten minutes of the module's stream: the mains fail, the battery
        // falls, an input goes into alarm and back (timed by a clock of the test's own).
        Monitor trends;
        VirtualClock clock;
        trends.window->setTrendClock(clock);
        sim::MonitorStream::Options o;
        o.mainsLossSecond = 240;
        o.inputAlarmSecond = 150;
        o.inputChangeSeconds = 0;
        sim::MonitorStream stream(o);
        for (int s = 1; s <= 640; ++s) {
            clock.advance(std::chrono::seconds(1));
            trends.window->receiveBytes(
                QByteArray::fromStdString(stream.advanceTo(std::chrono::seconds(s))));
        }
        trends.find<QToolButton>("trendsButton")->click();
        trends.window->refreshView();
        trends.window->grab().save(out + QStringLiteral("/monitor-trends.png"));
        Monitor waiting; // before the first byte
        waiting.window->refreshView();
        waiting.window->grab().save(out + QStringLiteral("/monitor-waiting.png"));
    }
};

QVPROG_GUI_TEST_MAIN(MonitorWindowTest)
#include "monitor_window_test.moc"
