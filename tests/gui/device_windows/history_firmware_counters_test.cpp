// The history, firmware and counters windows driven as a technician would: a history carried by
// a binary configuration file and one read from the module, its text file, a firmware file
// chosen and uploaded, and the input counters read, edited and written back.
#include "support/gui_test_support.hpp"

#include "common/cp1250.hpp"
#include "config/config_file.hpp"
#include "config/messages.hpp"
#include "gui/device_windows/firmware_window.hpp"
#include "gui/device_windows/history_window.hpp"
#include "gui/link/link_window.hpp"
#include "monitor/event_history.hpp"
#include "sim/sim_memory.hpp"

#include <QAbstractButton>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>

using namespace qv;
using namespace qv::gui;
using namespace qv::gui::test;

namespace {

std::vector<std::uint8_t> emptyEvents() {
    return std::vector<std::uint8_t>(kEventBufferBytes, kEmptySlotMarker);
}

// One record: code, time (year - 2000, month, day, hour, minute, second, extra seconds) and
// the base phone's notification status.
void putEvent(std::vector<std::uint8_t>& events, int slot, std::uint8_t code,
              std::array<std::uint8_t, 7> time, std::uint8_t status = 0x03) {
    auto* r = events.data() + slot * kEventRecordSize;
    std::fill(r, r + kEventRecordSize, 0);
    r[event_byte::kBaseStatus] = status;
    std::copy(time.begin(), time.end(), r + event_byte::kYear);
    r[event_byte::kCode] = code;
    r[event_byte::kInputsHigh] = 0x7F;
    r[event_byte::kInputsLow] = 0xFF;
    r[event_byte::kAc] = 231;
    r[event_byte::kAccu] = 128;
}

// A 13123-byte binary configuration: an image, the event buffer and the check bytes.
QByteArray binaryWithHistory(const ConfigImage& image, const std::vector<std::uint8_t>& events) {
    std::string bytes = encodeBinaryFile(image).substr(0, ConfigImage::kSize);
    bytes.append(events.begin(), events.end());
    unsigned sum = 0;
    for (unsigned char c : bytes)
        sum += c;
    bytes.push_back('\0');
    bytes.push_back(char((sum >> 8) & 0xFF));
    bytes.push_back(char(sum & 0xFF));
    return QByteArray::fromStdString(bytes);
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString cell(QTableView* grid, int row, int column) {
    return grid->model()->index(row, column).data().toString();
}

QStringList gridRow(QTableView* grid, int row) {
    QStringList out;
    for (int c = 0; c < grid->model()->columnCount(); ++c)
        out << cell(grid, row, c);
    return out;
}

QStringList tableRow(const HistoryRow& row) {
    QStringList out;
    for (const auto& c : row.cells)
        out << QString::fromStdString(c);
    while (out.size() < 21)
        out << QString();
    return out;
}

QStringList counterTexts(QDialog* d) {
    QStringList out;
    for (int n = 1; n <= 5; ++n)
        out << d->findChild<QLineEdit*>(QStringLiteral("EditCounter%1").arg(n))->text();
    return out;
}

// "Odczytaj/Zapisz liczniki wejsc Solvo-5" on the "Dodatki" tab.
void readCounters(Program& p) {
    if (auto* b = p.find<QAbstractButton>("Button5"))
        b->click();
    else
        p.window->countersButtonClick();
}

// A module's ring after a few busy days: 26 events, the newest in slot 25.
std::vector<std::uint8_t> demoEvents() {
    auto events = emptyEvents();
    const std::uint8_t codes[] = {1, 5, 21, 2, 18, 6, 22, 17, 255, 9, 25, 4, 20};
    const std::uint8_t statuses[] = {0x03, 0x01, 0x13, 0x22, 0x33, 0x02, 0x11, 0x00};
    for (int slot = 0; slot < 26; ++slot) {
        const int minutes = slot * 137;
        putEvent(events, slot, codes[slot % 13],
                 {24, 5, std::uint8_t(17 + minutes / 1440), std::uint8_t(minutes / 60 % 24),
                  std::uint8_t(minutes % 60), std::uint8_t(slot * 7 % 60), 0},
                 statuses[slot % 8]);
        auto* r = events.data() + slot * kEventRecordSize;
        r[2] = statuses[(slot + 3) % 8];
        r[event_byte::kInputsHigh] = slot % 4 == 1 ? 0x7E : 0x7F;
        r[event_byte::kOutput] = slot % 5 == 0;
        r[event_byte::kAc] = codes[slot % 13] == 2 ? 0 : std::uint8_t(226 + slot % 9);
        r[event_byte::kAccu] = std::uint8_t(131 - slot % 6);
        r[event_byte::kAnalog3] = std::uint8_t(slot * 3);
        r[event_byte::kTemperature] = std::uint8_t(21 + slot % 4);
        r[event_byte::kSignal] = std::uint8_t(14 + slot % 12);
    }
    return events;
}

} // namespace

class HistoryFirmwareCountersTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void historyFromABinaryFileIsSortedAndSaved() {
        Program p;
        auto* history = p.window->historyWindow();
        auto* grid = history->findChild<QTableView*>("StringGrid1");
        auto* save = history->findChild<QToolButton*>("SaveFileButton");
        QVERIFY(grid && save);
        QCOMPARE(grid->model()->rowCount(), 200);
        QCOMPARE(grid->model()->columnCount(), 21);
        QCOMPARE(grid->model()->headerData(8, Qt::Horizontal).toString(),
                 QString::fromUtf8("Wejścia"));
        QVERIFY(!save->isEnabled());

        // Three records out of time order, the rest of the ring empty.
        auto events = emptyEvents();
        putEvent(events, 0, 21, {24, 5, 17, 12, 40, 0, 0});
        putEvent(events, 1, 5, {24, 5, 17, 12, 34, 50, 10}, 0x11); // 12:35:00
        putEvent(events, 7, 2, {23, 12, 31, 23, 59, 59, 1});       // 2024-01-01 00:00:00
        p.ctx->doc.form2tab();
        const QString file = p.path("obiekt.bCFG");
        QVERIFY(writeFile(file, binaryWithHistory(p.ctx->doc.image(), events)));
        p.ui.fileNames = {file};
        p.find<QToolButton>("openFileButton")->click();
        QCOMPARE(
            p.ui.texts().mid(p.ui.texts().size() - 2),
            QStringList({QString::fromUtf8(msg::kOpened), QString::fromUtf8(msg::kHistoryOpened)}));

        // Oldest first, empty slots on top; the row numbers stay 001..200.
        QCOMPARE(cell(grid, 0, 0), QStringLiteral("001"));
        QCOMPARE(cell(grid, 0, 1), QString());
        QCOMPARE(cell(grid, 199, 0), QStringLiteral("200"));
        QCOMPARE(gridRow(grid, 197).mid(1, 3),
                 QStringList({"2024-01-01 00:00:00", "AC - ALARM", ""}));
        QCOMPARE(gridRow(grid, 198).mid(1, 3),
                 QStringList({"2024-05-17 12:35:00", "WE 1 - ALARM", ""}));
        QCOMPARE(cell(grid, 198, 4), QStringLiteral("S:ER"));
        QCOMPARE(gridRow(grid, 199).mid(1, 2),
                 QStringList({"2024-05-17 12:40:00", QString::fromUtf8("WE 1 - POWRÓT")}));
        QCOMPARE(cell(grid, 199, 8), QStringLiteral("0000 00000000000"));
        QCOMPARE(cell(grid, 199, 10), QStringLiteral("23.1V"));
        // Every row as the core fills and sorts the same buffer.
        HistoryTable expected;
        expected.fill(events, 0);
        expected.sortByTime();
        for (int r = 0; r < 200; ++r)
            QCOMPARE(gridRow(grid, r), tableRow(expected.rows[std::size_t(r)]));
        QCOMPARE(history->findChild<QLabel*>("FirmwareLabel")->text(), QStringLiteral("?"));
        QCOMPARE(history->findChild<QLabel*>("SerialNumberLabel")->text(),
                 QStringLiteral("obiekt.bCFG"));
        QVERIFY(save->isEnabled());

        // The text file: the core's lines in Windows-1250 with CR LF; only the date is today's.
        const auto shownBefore = p.ui.shown.size();
        save->click(); // cancelled: nothing written, nothing said
        QCOMPARE(p.ui.shown.size(), shownBefore);
        p.ui.fileNames = {p.path("historia")};
        save->click();
        QCOMPARE(p.ui.lastText(), QString::fromUtf8("Bufor historii został zapisany"));
        const QByteArray bytes = readFile(p.path("historia.txt"));
        QVERIFY(bytes.contains("|Wej\x9C"
                               "cia"));
        QStringList written =
            QString::fromStdString(fromCp1250(bytes.toStdString())).split(QStringLiteral("\r\n"));
        QCOMPARE(written.takeLast(), QString()); // the last line ends with CR LF too
        QVERIFY(written[3].startsWith("Data odczytu  : 20"));
        QStringList wanted;
        for (const auto& line : historyFileLines(expected, "?", "obiekt.bCFG", kDateZero))
            wanted << QString::fromStdString(line);
        QCOMPARE(written.size(), wanted.size());
        written[3] = wanted[3];
        QCOMPARE(written, wanted);

        p.ui.fileNames = {p.path("brak/historia.txt")};
        save->click();
        QCOMPARE(p.ui.shown.back().kind, ScriptedUi::Shown::Kind::Error);
        QCOMPARE(p.ui.lastText(), QString::fromUtf8("Błąd zapisu !"));
    }

    void historyReadFromTheModuleThroughTheLinkWindow() {
        Program p("sim:password=12");
        p.ctx->settings().password = "12";
        QString log;
        QStringList rows, labels;
        bool saveEnabled = false;
        whenModal("ThistoryForm", [&](QDialog* d) {
            auto* grid = d->findChild<QTableView*>("StringGrid1");
            whenModal("TpasswordForm", [](QDialog* pw) { pw->accept(); });
            finishLinkSessionWhenDone(&log);
            d->findChild<QToolButton*>("ReadBufferButton")->click();
            // The module's three events, newest first, then its empty slots.
            for (int r = 0; r < 4; ++r)
                rows << cell(grid, r, 0) + " " + cell(grid, r, 2);
            labels << d->findChild<QLabel*>("FirmwareLabel")->text()
                   << d->findChild<QLabel*>("SerialNumberLabel")->text();
            saveEnabled = d->findChild<QToolButton*>("SaveFileButton")->isEnabled();
            d->findChild<QToolButton*>("CloseButton")->click();
        });
        p.find<QToolButton>("historyButton")->click();
        QVERIFY2(log.contains(QString::fromUtf8("Odczyt bufora zdarzeń")), qPrintable(log));
        QVERIFY2(log.contains(QString::fromUtf8("Odczytano 8000bajtów")), qPrintable(log));
        QCOMPARE(p.window->linkWindow()->request().mode, LinkMode::readEvents);
        QCOMPARE(p.window->linkWindow()->request().password, "12");
        QCOMPARE(rows, QStringList({QString::fromUtf8("001 AC - POWRÓT"), "002 AC - ALARM",
                                    "003 TEST przyciskiem", "004 "}));
        QCOMPARE(labels, QStringList({"NAME_0503", "2392123"}));
        QVERIFY(saveEnabled);
    }

    void failedHistoryReadLeavesTheWindowAsItWas() {
        Program p("sim:password=99");
        p.ctx->settings().password = "12";
        auto* history = p.window->historyWindow();
        QString log;
        whenModal("TpasswordForm", [](QDialog* pw) { pw->accept(); });
        finishLinkSessionWhenDone(&log);
        history->readBuffer();
        QVERIFY2(log.contains(QString::fromUtf8("Hasło niepoprawne.")), qPrintable(log));
        auto* grid = history->findChild<QTableView*>("StringGrid1");
        QCOMPARE(cell(grid, 0, 0), QString());
        QCOMPARE(history->findChild<QLabel*>("FirmwareLabel")->text(), QStringLiteral("?"));
        QVERIFY(!history->findChild<QToolButton*>("SaveFileButton")->isEnabled());
    }

    // An adapter that holds every byte 16 ms: the link window adds the hint to its log once,
    // the session's own lines stay as a fast line gives them, and no fix button for it.
    void slowAdapterIsReportedOnceInTheLinkWindow() {
        QString fastLog, slowLog;
        bool fixShown = true;
        {
            Program p("sim:password=12,latency=1");
            p.ctx->settings().password = "12";
            whenModal("TpasswordForm", [](QDialog* pw) { pw->accept(); });
            finishLinkSessionWhenDone(&fastLog);
            p.window->historyWindow()->readBuffer();
        }
        {
            Program p("sim:password=12,latency=16");
            p.ctx->settings().password = "12";
            whenModal("TpasswordForm", [](QDialog* pw) { pw->accept(); });
            finishLinkSessionWhenDone(&slowLog);
            p.window->historyWindow()->readBuffer();
            // The tool bar hides the button's widget while its action is hidden.
            fixShown =
                !p.window->linkWindow()->findChild<QToolButton*>("ButtonAdapterFix")->isHidden();
        }
        QVERIFY2(fastLog.contains(QString::fromUtf8("Odczytano 8000bajtów")), qPrintable(fastLog));
        QVERIFY2(!fastLog.contains(QString::fromUtf8("wolny adapter")), qPrintable(fastLog));
        QCOMPARE(slowLog.count(QString::fromUtf8("Uwaga: wolny adapter USB")), 1);
        QVERIFY(
            slowLog.contains(QString::fromUtf8("Poprawka: moduł symulowany z opcją latency=1.")));
        QStringList without;
        for (const auto& line : slowLog.split('\n'))
            if (!line.startsWith("Uwaga:") && !line.startsWith("W tym tempie") &&
                !line.startsWith("Adapter:") && !line.startsWith("Poprawka:"))
                without << line;
        QCOMPARE(without.join('\n'), fastLog);
        QVERIFY(!fixShown);
    }

    void firmwareFileIsShownKeptAndUploaded() {
        Program p;
        const QString file = p.path("module_050392.bin");
        QVERIFY(writeFile(file, QByteArray(1000, '\x5A')));
        QString linkLog, firstLog, cancelledLog = "?";
        bool enabledBefore = true, enabledAfter = false, stillOpen = true;
        p.ui.fileNames = {file};
        whenModal("TfirmwareForm", [&](QDialog* d) {
            auto* send = d->findChild<QToolButton*>("sendFirmwareButton");
            enabledBefore = send->isEnabled();
            d->findChild<QToolButton*>("ToolButton3")->click();
            firstLog = d->findChild<QPlainTextEdit*>("Memo1")->toPlainText();
            // Cancelled: the log is cleared, the choice stays.
            d->findChild<QToolButton*>("ToolButton3")->click();
            cancelledLog = d->findChild<QPlainTextEdit*>("Memo1")->toPlainText();
            enabledAfter = send->isEnabled();
            finishLinkSessionWhenDone(&linkLog);
            send->click();
            stillOpen = d->isVisible();
            if (stillOpen) d->reject();
        });
        p.find<QToolButton>("ToolButton2")->click();
        QVERIFY(!enabledBefore);
        QVERIFY(enabledAfter);
        QCOMPARE(firstLog.split('\n'),
                 QStringList({QString::fromUtf8("Wybrany plik z oprogramowanie urządzenia:"), file,
                              "Wersja firmware    : 5", "Minimalny QVProg   : 2.3.x",
                              "Platforma docelowa : 92"}));
        QCOMPARE(cancelledLog, QString());
        QVERIFY(!stillOpen); // the upload closes the window
        QVERIFY2(linkLog.contains("Rozmiar pliku mod: 1024 Bytes"), qPrintable(linkLog));
        QVERIFY2(linkLog.contains(QString::fromUtf8("Aktualizacja zakończona pomyślnie!")),
                 qPrintable(linkLog));
        QCOMPARE(p.window->linkWindow()->results().sessionResult, 1);
        auto* gauge = p.window->linkWindow()->findChild<QProgressBar*>("Gauge1");
        QCOMPARE(gauge->maximum(), 1023);
        QCOMPARE(gauge->value(), 1023);

        // Opened again, the window shows the file kept from before; Enter closes it.
        QString secondLog;
        bool secondEnabled = false;
        whenModal("TfirmwareForm", [&](QDialog* d) {
            secondLog = d->findChild<QPlainTextEdit*>("Memo1")->toPlainText();
            secondEnabled = d->findChild<QToolButton*>("sendFirmwareButton")->isEnabled();
            QTest::keyClick(d, Qt::Key_Return);
        });
        p.find<QToolButton>("ToolButton2")->click();
        QCOMPARE(
            secondLog.split('\n'),
            QStringList({QString::fromUtf8("Wybrany plik z oprogramowanie urządzenia:"), file}));
        QVERIFY(secondEnabled);
        QVERIFY(!p.window->findChild<FirmwareWindow*>()->isVisible());

        // "&Spytaj o wersję" runs an identification and closes the window.
        whenModal("TfirmwareForm", [&](QDialog* d) {
            finishLinkSessionWhenDone(&linkLog);
            d->findChild<QToolButton*>("ToolButton1")->click();
            if (d->isVisible()) d->reject();
        });
        p.find<QToolButton>("ToolButton2")->click();
        QCOMPARE(p.window->linkWindow()->request().mode, LinkMode::identify);
        QVERIFY2(linkLog.endsWith("Koniec."), qPrintable(linkLog));
    }

    // A chosen file gone by the upload: the session says so, and the window, opened again, no
    // longer offers it.
    void firmwareFileThatCannotBeReadIsNoLongerOffered() {
        Program p;
        const QString file = p.path("module_050392.bin");
        QVERIFY(writeFile(file, QByteArray(1000, '\x5A')));
        QString linkLog, log = "?";
        bool enabled = true;
        p.ui.fileNames = {file};
        whenModal("TfirmwareForm", [&](QDialog* d) {
            d->findChild<QToolButton*>("ToolButton3")->click();
            QFile::remove(file);
            finishLinkSessionWhenDone(&linkLog);
            d->findChild<QToolButton*>("sendFirmwareButton")->click();
            if (d->isVisible()) d->reject();
        });
        p.find<QToolButton>("ToolButton2")->click();
        QVERIFY2(linkLog.contains("Problem z wczytaniem pliku."), qPrintable(linkLog));
        whenModal("TfirmwareForm", [&](QDialog* d) {
            log = d->findChild<QPlainTextEdit*>("Memo1")->toPlainText();
            enabled = d->findChild<QToolButton*>("sendFirmwareButton")->isEnabled();
            d->reject();
        });
        p.find<QToolButton>("ToolButton2")->click();
        QCOMPARE(log, QString::fromUtf8("Nie wybrano pliku z oprogramowaniem urządzenia.\n"
                                        "Nie udało się wczytać pliku:\n") +
                          file);
        QVERIFY(!enabled);
    }

    void countersReadEditWriteAndReadAgain() {
        QTemporaryDir state;
        Program p("sim:state=" + state.filePath("module.json"));
        QStringList firstRead, secondRead;
        QString writeLog;
        bool closedAfterWrite = false;
        finishLinkSessionWhenDone();
        whenModal("TFormCounter", [&](QDialog* d) {
            firstRead = counterTexts(d);
            d->findChild<QLineEdit*>("EditCounter1")->setText("123");
            d->findChild<QLineEdit*>("EditCounter3")->setText("4294967295");
            d->findChild<QLineEdit*>("EditCounter5")->setText(" 4294967295 ");
            finishLinkSessionWhenDone(&writeLog);
            d->findChild<QPushButton*>("Button1")->click();
            closedAfterWrite = !d->isVisible();
            if (!closedAfterWrite) d->reject();
        });
        readCounters(p);
        QCOMPARE(firstRead, QStringList({"0", "0", "0", "0", "0"}));
        QVERIFY(closedAfterWrite);
        QVERIFY2(writeLog.contains("Zapisane - odczytaj je jeszcze raz w celu sprawdzenia"),
                 qPrintable(writeLog));
        QCOMPARE(p.window->linkWindow()->request().mode, LinkMode::writeCounters);

        finishLinkSessionWhenDone();
        whenModal("TFormCounter", [&](QDialog* d) {
            secondRead = counterTexts(d);
            d->findChild<QPushButton*>("Button2")->click();
        });
        readCounters(p);
        QCOMPARE(secondRead, QStringList({"123", "0", "4294967295", "0", "4294967295"}));
    }

    void refusedCounterTextIsExplainedAndNothingIsSent() {
        Program p;
        bool stayedOpen = false;
        std::size_t sessions = 0;
        finishLinkSessionWhenDone();
        whenModal("TFormCounter", [&](QDialog* d) {
            sessions = p.ui.sounds.size();
            d->findChild<QLineEdit*>("EditCounter2")->setText("dwa");
            d->findChild<QPushButton*>("Button1")->click();
            stayedOpen = d->isVisible();
            // A read never shows a negative count, so none is written either.
            d->findChild<QLineEdit*>("EditCounter2")->setText("2");
            d->findChild<QLineEdit*>("EditCounter4")->setText("-1");
            d->findChild<QPushButton*>("Button1")->click();
            stayedOpen = stayedOpen && d->isVisible();
            sessions = p.ui.sounds.size() - sessions;
            d->findChild<QPushButton*>("Button2")->click();
        });
        readCounters(p);
        QVERIFY(stayedOpen); // the value can be corrected
        QCOMPARE(sessions, std::size_t(0));
        QCOMPARE(p.window->linkWindow()->request().mode, LinkMode::readCounters);
        QCOMPARE(p.ui.shown.back().kind, ScriptedUi::Shown::Kind::Error);
        const QStringList texts = p.ui.texts();
        QCOMPARE(texts.mid(texts.size() - 2),
                 QStringList({QString::fromUtf8("Błędna wartość licznika wejścia 2: \"dwa\" "
                                                "(dozwolone liczby od 0 do 4294967295) - liczniki "
                                                "nie zostały zapisane"),
                              QString::fromUtf8("Błędna wartość licznika wejścia 4: \"-1\" "
                                                "(dozwolone liczby od 0 do 4294967295) - liczniki "
                                                "nie zostały zapisane")}));
    }

    // Pictures of the windows for the documentation, taken only when asked for.
    void screenshots() {
        const QString out = qEnvironmentVariable("QVPROG_SCREENSHOT_DIR");
        if (out.isEmpty()) QSKIP("QVPROG_SCREENSHOT_DIR names the folder for the pictures");
        QTemporaryDir state;
        SimMemory module = SimMemory::fresh();
        module.events = demoEvents();
        module.eventPosition = 26;
        std::string error;
        QVERIFY2(saveSimMemory(module, state.filePath("module.json").toStdString(), error),
                 error.c_str());
        Program p("sim:state=" + state.filePath("module.json"));
        bool saved = false;
        whenModal("ThistoryForm", [&](QDialog* d) {
            finishLinkSessionWhenDone();
            d->findChild<QToolButton*>("ReadBufferButton")->click();
            d->findChild<QTableView*>("StringGrid1")->selectRow(2);
            settleLayouts();
            saved = d->grab().save(out + "/history-window.png");
            d->accept();
        });
        p.find<QToolButton>("historyButton")->click();
        QVERIFY(saved);

        const QString file = p.path("module_050392.bin");
        QVERIFY(writeFile(file, QByteArray(20000, '\x11')));
        p.ui.fileNames = {file};
        saved = false;
        whenModal("TfirmwareForm", [&](QDialog* d) {
            d->findChild<QToolButton*>("ToolButton3")->click();
            settleLayouts();
            saved = d->grab().save(out + "/firmware-window.png");
            d->accept();
        });
        p.find<QToolButton>("ToolButton2")->click();
        QVERIFY(saved);

        saved = false;
        finishLinkSessionWhenDone();
        whenModal("TFormCounter", [&](QDialog* d) {
            settleLayouts();
            saved = d->grab().save(out + "/counters-window.png");
            d->reject();
        });
        readCounters(p);
        QVERIFY(saved);
    }
};

QVPROG_GUI_TEST_MAIN(HistoryFirmwareCountersTest)
#include "history_firmware_counters_test.moc"
