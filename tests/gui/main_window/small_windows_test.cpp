// The additional phones window, the SMS descriptions and the text window of the SMS listing,
// each opened from the main window as the user opens it.
#include "support/gui_test_support.hpp"

#include "gui/app/sound_player.hpp"
#include "gui/main_window/memo_form.hpp"
#include "tools/sms_listing.hpp"

#include <QFontInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QToolButton>
#include <QtEndian>

using namespace qv;
using namespace qv::gui;
using namespace qv::gui::test;

namespace {
QLineEdit* phoneEdit(QDialog* d, int n) {
    return d->findChild<QLineEdit*>(QStringLiteral("AddPhone%1").arg(n));
}
QPushButton* button(QDialog* d, const char* name) {
    return d->findChild<QPushButton*>(QString::fromLatin1(name));
}
// With QVPROG_SCREENSHOT_DIR set, the windows are saved there to be looked at.
void screenshot(QDialog* d) {
    const QString dir = qEnvironmentVariable("QVPROG_SCREENSHOT_DIR");
    if (!dir.isEmpty()) d->grab().save(dir + "/" + d->objectName() + ".png");
}
} // namespace

class SmallWindowsTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void additionalPhonesOpenAndCloseUnchanged() {
        Program p;
        for (std::size_t k = 0; k < 56; ++k)
            p.ctx->settings().addPhones[k] = std::to_string(500000000 + k);
        p.ctx->doc.form2tab();
        p.ctx->doc.storeEepTable();
        const auto before = p.ctx->settings().addPhones;
        QString shown1, shown56, title;
        bool stayedOpen = false;
        whenModal("TFormAddPhones", [&](QDialog* d) {
            title = d->windowTitle();
            shown1 = phoneEdit(d, 1)->text();
            shown56 = phoneEdit(d, 56)->text();
            d->reject(); // Escape does not close it
            stayedOpen = d->isVisible();
            button(d, "Button2")->click();
        });
        p.find<QPushButton>("Button4")->click();
        QCOMPARE(title, QStringLiteral("DODATKOWE NUMERY UPRAWNIONE (DO STEROWANIA WYJŚCIAMI)"));
        QCOMPARE(shown1, QStringLiteral("500000000"));
        QCOMPARE(shown56, QStringLiteral("500000055"));
        QVERIFY(stayedOpen);
        QVERIFY(p.ctx->settings().addPhones == before);
        QVERIFY(!p.ctx->doc.isModified());
    }

    void clearAllThenCloseEmptiesEveryNumber() {
        Program p;
        for (auto& phone : p.ctx->settings().addPhones)
            phone = "123456789";
        p.ctx->doc.form2tab();
        p.ctx->doc.storeEepTable();
        whenModal("TFormAddPhones", [](QDialog* d) {
            button(d, "Button1")->click(); // "Wyczysc wszystkie" keeps the window open
            if (d->isVisible()) button(d, "Button2")->click();
        });
        p.find<QPushButton>("Button4")->click();
        for (const auto& phone : p.ctx->settings().addPhones)
            QCOMPARE(phone, "");
        QVERIFY(p.ctx->doc.isModified());
    }

    void phonesStandInFourColumnsOfFourteen() {
        Program p;
        struct Seen {
            QRect e1, e14, e15, e43, e56;
            QString hint15, typed, clear, close;
        } seen;
        whenModal("TFormAddPhones", [&](QDialog* d) {
            seen.e1 = phoneEdit(d, 1)->geometry();
            seen.e14 = phoneEdit(d, 14)->geometry();
            seen.e15 = phoneEdit(d, 15)->geometry();
            seen.e43 = phoneEdit(d, 43)->geometry();
            seen.e56 = phoneEdit(d, 56)->geometry();
            seen.hint15 = phoneEdit(d, 15)->toolTip();
            QTest::keyClicks(phoneEdit(d, 7), "12345678901");
            seen.typed = phoneEdit(d, 7)->text();
            seen.clear = button(d, "Button1")->text();
            seen.close = button(d, "Button2")->text();
            screenshot(d);
            button(d, "Button2")->click();
        });
        p.find<QPushButton>("Button4")->click();
        QCOMPARE(seen.e15.top(), seen.e1.top()); // number 15 opens the second column
        QVERIFY(seen.e15.left() > seen.e1.right());
        QCOMPARE(seen.e56.top(), seen.e14.top()); // number 56 closes the fourth
        QCOMPARE(seen.e56.left(), seen.e43.left());
        QCOMPARE(seen.e1.width(), 75);
        QCOMPARE(seen.hint15, QStringLiteral("Numer telefonu: 15, Długość pola: 9"));
        QCOMPARE(seen.typed, QStringLiteral("1234567890")); // the tenth character is taken
        QCOMPARE(p.ctx->settings().addPhones[6], "1234567890");
        QCOMPARE(seen.clear, QStringLiteral("Wyczysc wszystkie"));
        QCOMPARE(seen.close, QStringLiteral("Zapamiętaj i zamknij"));
    }

    void smsListingFillsTheTextWindow() {
        Program p;
        QStringList lines;
        QString title;
        QSize size;
        bool fixedPitch = false;
        auto record = [&](QDialog* d) {
            lines = static_cast<MemoForm*>(d)->lines();
            title = d->windowTitle();
            size = d->size();
            screenshot(d);
            fixedPitch = QFontInfo(d->findChild<QPlainTextEdit*>("Memo1")->font()).fixedPitch();
            d->done(0);
        };
        whenModal("TFormMemo", record);
        p.find<QToolButton>("ToolButton12")->click();
        QCOMPARE(lines.size(), kSmsListingLines);
        QCOMPARE(lines[0], QString());
        QCOMPARE(lines[1], QString(77, QLatin1Char('=')));
        QCOMPARE(lines[2], QStringLiteral("Wymiana pojedyńczych parametrów:"));
        QCOMPARE(lines[11], QStringLiteral("Hasło do modułu          : OPCJA ZABLOKOWANA"));
        QCOMPARE(lines[18], "Numer obiektu            : " +
                                QString::fromStdString(smsCommand(p.ctx->doc.image(), 35, 4)));
        QCOMPARE(title, QStringLiteral("SMSy konfiguracyjne"));
        QCOMPARE(size, QSize(870, 500));
        QVERIFY(fixedPitch);

        // A second listing replaces the first.
        whenModal("TFormMemo", record);
        p.find<QToolButton>("ToolButton12")->click();
        QCOMPARE(lines.size(), kSmsListingLines);
    }

    void smsDescriptionsShowTheFixedReference() {
        Program p;
        QStringList lines;
        QString title;
        bool readOnly = false;
        whenModal("TFormSMSDescription", [&](QDialog* d) {
            auto* memo = d->findChild<QPlainTextEdit*>("Memo1");
            lines = memo->toPlainText().split('\n');
            readOnly = memo->isReadOnly();
            title = d->windowTitle();
            screenshot(d);
            d->done(0);
        });
        p.find<QPushButton>("Button3")->click();
        QCOMPARE(title, QStringLiteral("Opisy SMSów sterujących"));
        QCOMPARE(lines.size(), 32);
        QCOMPARE(lines[0],
                 QStringLiteral("*A1           - Uzbraja centralkę (musi być aktywowana)"));
        QCOMPARE(lines[3], QStringLiteral("=== Tryb \"Bistabilne SMS\" i \"Bistabilne CLIP/SMS\" "
                                          "==================="));
        QCOMPARE(lines[29], QString());
        QCOMPARE(lines[30], QString());
        QCOMPARE(lines[31],
                 QStringLiteral("W SMSach sterujących wielkość liter nie ma znaczenia."));
        QVERIFY(readOnly);
    }

    // Windows plays these bytes as they are (PlaySound from memory), so the RIFF header must
    // describe exactly the samples that follow.
    void soundsAreCompleteWaveFiles() {
        for (const Sound sound : {Sound::Ding, Sound::Ring}) {
            const QByteArray w = synthesiseWave(sound);
            QVERIFY(w.size() > 44);
            const auto* d = w.constData();
            QCOMPARE(w.left(4), QByteArray("RIFF"));
            QCOMPARE(qFromLittleEndian<quint32>(d + 4), quint32(w.size() - 8));
            QCOMPARE(w.mid(8, 8), QByteArray("WAVEfmt "));
            QCOMPARE(qFromLittleEndian<quint16>(d + 20), quint16(1));  // PCM
            QCOMPARE(qFromLittleEndian<quint16>(d + 22), quint16(1));  // mono
            QCOMPARE(qFromLittleEndian<quint16>(d + 34), quint16(16)); // bits
            const quint32 rate = qFromLittleEndian<quint32>(d + 24);
            QCOMPARE(qFromLittleEndian<quint32>(d + 28), rate * 2);
            QCOMPARE(w.mid(36, 4), QByteArray("data"));
            QCOMPARE(qFromLittleEndian<quint32>(d + 40), quint32(w.size() - 44));
            // Audible, short, and not clipped to the full scale.
            int peak = 0;
            for (int i = 44; i + 1 < w.size(); i += 2)
                peak = std::max(peak, std::abs(int(qFromLittleEndian<qint16>(d + i))));
            QVERIFY(peak > 8000);
            QVERIFY(peak < 32767);
            QVERIFY(w.size() - 44 < int(rate) * 2 * 2); // under two seconds
        }
        QVERIFY(synthesiseWave(Sound::Ding) != synthesiseWave(Sound::Ring));
    }

    void centredWindowsStandInTheMiddleOfTheMainWindowsScreen() {
        Program p;
        p.ctx->settings().password = "12";
        // The main window on a screen other than the primary one, where there is one.
        QScreen* screen = QGuiApplication::primaryScreen();
        for (QScreen* s : QGuiApplication::screens())
            if (s != QGuiApplication::primaryScreen()) screen = s;
        p.window->move(screen->availableGeometry().topLeft() + QPoint(20, 20));
        QTRY_COMPARE_WITH_TIMEOUT(p.window->screen(), screen, kPatienceMs);
        const QPoint centre = screen->availableGeometry().center();
        QStringList centred;
        QStringList elsewhere;
        auto check = [&](QDialog* d) {
            const QPoint offset = d->frameGeometry().center() - centre;
            if (offset.manhattanLength() <= 2 && d->screen() == screen)
                centred << d->objectName();
            else
                elsewhere << d->objectName() +
                                 QStringLiteral(" at %1,%2 off").arg(offset.x()).arg(offset.y());
        };
        auto checkThen = [&](const char* name, std::function<void(QDialog*)> close) {
            whenModal(QString::fromLatin1(name), [=](QDialog* d) {
                check(d);
                close(d);
            });
        };
        const auto accept = [](QDialog* d) { d->accept(); };

        checkThen("TpasswordForm", accept);
        whenModal("TSerialCommForm", check);
        finishLinkSessionWhenDone();
        p.find<QToolButton>("ReadButton")->click();
        checkThen("TsettingsWindow",
                  [](QDialog* d) { d->findChild<QToolButton*>("ToolButton3")->click(); });
        p.find<QToolButton>("settingsButton")->click();
        checkThen("TFormAddPhones", [](QDialog* d) { button(d, "Button2")->click(); });
        p.find<QPushButton>("Button4")->click();
        checkThen("TFormSMSDescription", accept);
        p.find<QPushButton>("Button3")->click();
        checkThen("TFormMemo", accept);
        p.find<QToolButton>("ToolButton12")->click();
        p.ctx->settings().password = "12"; // the read brought the module's, which is empty
        checkThen("TpasswordForm", accept);
        whenModal("TSerialCommForm", check);
        finishLinkSessionWhenDone();
        checkThen("TFormCounter", [](QDialog* d) { button(d, "Button2")->click(); });
        p.find<QPushButton>("Button5")->click();
        QCOMPARE(elsewhere, QStringList());
        QCOMPARE(centred, QStringList({"TpasswordForm", "TSerialCommForm", "TsettingsWindow",
                                       "TFormAddPhones", "TFormSMSDescription", "TFormMemo",
                                       "TpasswordForm", "TSerialCommForm", "TFormCounter"}));
    }
};

QVPROG_GUI_TEST_MAIN(SmallWindowsTest)
#include "small_windows_test.moc"
