// The tabs of the input table as a technician uses them: action cells stepped by clicks, the
// status flag, the column icons, the private phone highlight, typed edits and loaded files.
#include "support/gui_test_support.hpp"

#include "config/messages.hpp"
#include "gui/tabs/tab_prywatne.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QWindow>

using namespace qv;
using namespace qv::gui;
using namespace qv::gui::test;

namespace {

enum Tab { Baza = 0, Prywatne = 1, Opisy = 5 };

QString rowName(const char* setting, int slot) {
    return QStringLiteral("f%1_%2").arg(QLatin1String(setting)).arg(slot);
}
QString cellName(bool alarm, int slot, int column) {
    return QStringLiteral("f%1_%2_%3")
        .arg(QLatin1String(alarm ? "ALARM_ACTION" : "RETURN_ACTION"))
        .arg(slot)
        .arg(column);
}

void showTab(Program& p, Tab tab) {
    p.find<QTabWidget>("PageControl")->setCurrentIndex(tab);
}

void click(QWidget* w) {
    QVERIFY2(w, "widget not found");
    QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
}

// A mouse move as the window system delivers it, entering the widget under the pointer.
void moveMouseOver(Program& p, QWidget* w) {
    QWindow* window = p.window->windowHandle();
    QTest::mouseMove(window, window->mapFromGlobal(w->mapToGlobal(w->rect().center())));
}

QColor textColour(QWidget* w) {
    return w->palette().color(QPalette::Active, QPalette::WindowText);
}
QColor baseColour(QWidget* w) {
    return w->palette().color(QPalette::Active, QPalette::Base);
}

} // namespace

class InputTabsTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void actionCellStepsThroughTheCycleWithItsColours() {
        Program p;
        showTab(p, Baza);
        auto* cell = p.find<QLabel>(cellName(true, 5, 1));
        QVERIFY(cell);
        QCOMPARE(cell->size(), QSize(35, 19));
        QVERIFY(cell->font().bold());
        QCOMPARE(cell->cursor().shape(), Qt::PointingHandCursor);
        // Red and teal in the darker shades that read on the cells' face.
        const std::pair<const char*, QRgb> steps[] = {
            {"SMS", 0xC00000}, {"CLIP", 0x0000FF}, {"C/S", 0x800080},
            {"C+S", 0x006A6A}, {"", 0xFFFFFF},
        };
        for (const auto& [text, rgb] : steps) {
            click(cell);
            QCOMPARE(cell->text(), QString::fromLatin1(text));
            QCOMPARE(textColour(cell), QColor(rgb));
            QCOMPARE(p.ctx->settings().input(5).alarmAction[0].text, text);
        }
        // A private return cell steps its own column only.
        showTab(p, Prywatne);
        auto* priv = p.find<QLabel>(cellName(false, 7, 3));
        click(priv);
        click(priv);
        QCOMPARE(priv->text(), QStringLiteral("CLIP"));
        QCOMPARE(textColour(priv), QColor(0x0000FF));
        QCOMPARE(p.ctx->settings().input(7).returnAction[2].text, "CLIP");
        QCOMPARE(p.ctx->settings().input(7).returnAction[1].text, "");
        QVERIFY(p.ctx->doc.isModified());
    }

    void rowOneHasNoReturnSide() {
        Program p;
        const Settings before = p.ctx->settings();
        showTab(p, Baza);
        click(p.find<QLabel>(cellName(false, 1, 1)));
        showTab(p, Prywatne);
        for (int c = 2; c <= 4; ++c)
            click(p.find<QLabel>(cellName(false, 1, c)));
        QVERIFY(p.ctx->settings() == before);
        for (int c = 1; c <= 4; ++c) {
            auto* cell = p.find<QLabel>(cellName(false, 1, c));
            QCOMPARE(cell->text(), QStringLiteral("X"));
            QVERIFY(!cell->isEnabled());
        }
        const QColor buttonFace = p.window->palette().color(QPalette::Button);
        for (const char* field : {"RETURN_TEXT", "RETURN_PHONE", "RETURN_PRIV_TEXT"}) {
            auto* e = p.find<QLineEdit>(rowName(field, 1));
            QVERIFY(!e->isEnabled());
            QCOMPARE(e->palette().color(QPalette::Disabled, QPalette::Base), buttonFace);
            QVERIFY(p.find<QLineEdit>(rowName(field, 2))->isEnabled());
        }
        QVERIFY(!p.find<QCheckBox>(rowName("INPUT_RESET", 1))->isEnabled());
        QVERIFY(!p.find<QComboBox>(rowName("INPUT_DEAF_TIME", 1))->isEnabled());
        QCOMPARE(p.find<QComboBox>(rowName("INPUT_DEAF_TIME", 1))->currentText(), "1");
        for (int slot = 1; slot <= 15; ++slot) {
            QCOMPARE(p.find<QRadioButton>(rowName("INPUT_NC", slot))->isEnabled(), slot >= 5);
            QVERIFY(p.find<QRadioButton>(rowName("INPUT_NO", slot))->isChecked());
        }
        QCOMPARE(p.find<QComboBox>(rowName("INPUT_DEAF_TIME", 2))->count(), 90);
        QCOMPARE(p.find<QComboBox>(rowName("INPUT_DEAF_TIME", 3))->count(), 34);
        QCOMPARE(p.find<QLabel>(rowName("INPUT_DEAF_UNIT", 2))->text(), QStringLiteral("min."));
        QCOMPARE(p.find<QLabel>(rowName("INPUT_DEAF_UNIT", 3))->text(), QStringLiteral("sec."));
    }

    void statusFlagHidesExactlyThatRowsTextsOnBothTabs() {
        Program p;
        showTab(p, Baza);
        click(p.find<QCheckBox>(rowName("INPUT_STATUS", 6)));
        QVERIFY(p.ctx->settings().input(6).status);
        const char* fields[] = {"ALARM_TEXT", "RETURN_TEXT", "ALARM_PRIV_TEXT", "RETURN_PRIV_TEXT"};
        for (const char* field : fields) {
            QVERIFY2(p.find<QLineEdit>(rowName(field, 6))->isHidden(), field);
            auto* label = p.find<QLabel>("Status_" + rowName(field, 6));
            QVERIFY2(label && !label->isHidden(), field);
            QCOMPARE(label->text(), QStringLiteral("Status urządzenia"));
            QVERIFY(label->font().bold());
            for (int other : {5, 7}) {
                QVERIFY(!p.find<QLineEdit>(rowName(field, other))->isHidden());
                QVERIFY(p.find<QLabel>("Status_" + rowName(field, other))->isHidden());
            }
        }
        showTab(p, Prywatne);
        QVERIFY(!p.find<QLineEdit>(rowName("ALARM_PRIV_TEXT", 6))->isVisible());
        QVERIFY(p.find<QLabel>("Status_" + rowName("ALARM_PRIV_TEXT", 6))->isVisible());
        // The texts stay as they were, and come back with the flag off.
        QCOMPARE(p.ctx->settings().input(6).alarmText, "A2");
        showTab(p, Baza);
        click(p.find<QCheckBox>(rowName("INPUT_STATUS", 6)));
        for (const char* field : fields)
            QVERIFY(!p.find<QLineEdit>(rowName(field, 6))->isHidden());
        QCOMPARE(p.find<QLineEdit>(rowName("ALARM_TEXT", 6))->text(), QStringLiteral("A2"));
        QCOMPARE(p.find<QLineEdit>(rowName("RETURN_TEXT", 6))->text(), QStringLiteral("B2"));
    }

    void columnIconsThroughTheirClicks() {
        Program p;
        showTab(p, Baza);
        // setStatus inverts row 2 into every row, row 1 included; again turns all off.
        p.ctx->settings().input(1).status = true;
        click(p.find<QLabel>("setStatus"));
        for (int slot = 1; slot <= 15; ++slot) {
            QVERIFY(p.find<QCheckBox>(rowName("INPUT_STATUS", slot))->isChecked());
            QVERIFY(p.find<QLineEdit>(rowName("ALARM_PRIV_TEXT", slot))->isHidden());
        }
        click(p.find<QLabel>("setStatus"));
        for (int slot = 1; slot <= 15; ++slot)
            QVERIFY(!p.find<QCheckBox>(rowName("INPUT_STATUS", slot))->isChecked());

        // setReturn and the private return icons never touch row 1.
        click(p.find<QLabel>("setReturn"));
        showTab(p, Prywatne);
        click(p.find<QLabel>("Image13"));
        for (int c : {1, 3}) {
            QCOMPARE(p.find<QLabel>(cellName(false, 1, c))->text(), QStringLiteral("X"));
            for (int slot = 2; slot <= 15; ++slot)
                QCOMPARE(p.find<QLabel>(cellName(false, slot, c))->text(), QStringLiteral("SMS"));
        }
        QCOMPARE(p.find<QLabel>(cellName(false, 9, 2))->text(), QString());

        // Image2 copies row 2's return phone to rows 3..15, never to row 1.
        showTab(p, Baza);
        auto* phone2 = p.find<QLineEdit>(rowName("RETURN_PHONE", 2));
        phone2->setFocus();
        QTest::keyClicks(phone2, "600700800");
        click(p.find<QLabel>("Image2"));
        QCOMPARE(p.find<QLineEdit>(rowName("RETURN_PHONE", 1))->text(), QString());
        for (int slot = 2; slot <= 15; ++slot)
            QCOMPARE(p.find<QLineEdit>(rowName("RETURN_PHONE", slot))->text(), "600700800");
        // Image3 takes it into row 1's alarm phone, AlaramPhoneRepeat down the column.
        click(p.find<QLabel>("Image3"));
        click(p.find<QLabel>("AlaramPhoneRepeat"));
        QCOMPARE(p.find<QLineEdit>(rowName("ALARM_PHONE", 15))->text(), "600700800");
        click(p.find<QLabel>("clearReturnPhone"));
        QCOMPARE(p.find<QLineEdit>(rowName("RETURN_PHONE", 9))->text(), QString());

        // setNC changes the inputs only.
        click(p.find<QLabel>("setNC"));
        for (int slot = 1; slot <= 15; ++slot) {
            QCOMPARE(p.find<QRadioButton>(rowName("INPUT_NC", slot))->isChecked(), slot >= 5);
            QCOMPARE(p.find<QRadioButton>(rowName("INPUT_NO", slot))->isChecked(), slot < 5);
        }
        // A single row's radio pair stays exclusive.
        click(p.find<QRadioButton>(rowName("INPUT_NO", 8)));
        QVERIFY(!p.find<QRadioButton>(rowName("INPUT_NC", 8))->isChecked());
        click(p.find<QRadioButton>(rowName("INPUT_NO", 8))); // clicking it again keeps it
        QVERIFY(p.find<QRadioButton>(rowName("INPUT_NO", 8))->isChecked());
        QVERIFY(p.ctx->settings().input(8).no && !p.ctx->settings().input(8).nc);
    }

    void iconsAndHeadingsCarryTheirNamesAndHints() {
        Program p;
        const std::pair<const char*, const char*> icons[] = {
            {"setNC", "Zmień wszystkie"},
            {"setReset", "Zmień wszystkie"},
            {"setAlarm", "Zmień wszystkie"},
            {"Image9", "Przełącz wszystkie"},
            {"Image14", "Przełącz wszystkie"},
            {"AlaramPhoneRepeat", "Skopiuj z pierwszego numeru do pozostałych"},
            {"AlarmPhoneCopy", ""},
            {"clearAlarmPhone", "Wyczyść numery telefonów"},
            {"Image18", "Wyczyść treści SMSów"},
            {"Image21", "Wyczyść treści SMSów"},
            {"Image22", "Wyczyść opisy"},
            {"Image23", "Wyczyść opis"},
        };
        for (const auto& [name, hint] : icons) {
            auto* icon = p.find<QLabel>(name);
            QVERIFY2(icon, name);
            QCOMPARE(icon->toolTip(), QString::fromUtf8(hint));
            QVERIFY(!icon->pixmap().isNull());
        }
        QCOMPARE(p.find<QLineEdit>(rowName("ALARM_TEXT", 3))->toolTip(), "Długość pola: 20");
        QCOMPARE(p.find<QLineEdit>(rowName("ALARM_PHONE", 3))->maxLength(), 15);
        QCOMPARE(p.find<QLineEdit>(rowName("RETURN_PRIV_TEXT", 3))->maxLength(), 64);
        QCOMPARE(p.find<QLineEdit>(rowName("DESCRIPTION", 3))->maxLength(), 100);
        QCOMPARE(p.find<QLineEdit>(rowName("DESCRIPTION", 3))->width(), 360);
        QCOMPARE(p.find<QLineEdit>("fPRIV_PHONE_3")->toolTip(), "Długość pola: 15");

        QCOMPARE(p.find<QLabel>("LabelPhoneNumber2")->text(), QStringLiteral("Nr telefonu"));
        p.find<QToolButton>("langButton")->click();
        QCOMPARE(p.find<QLabel>("LabelReturn")->text(), QStringLiteral("Return"));
        QCOMPARE(p.find<QLabel>("LabelSmsText2")->text(), QStringLiteral("SMS text"));

        showTab(p, Baza);
        QTest::mouseDClick(p.find<QLabel>("Image1"), Qt::LeftButton);
        QCOMPARE(p.ui.urls.size(), std::size_t(1));
    }

    void privatePhoneLightsUpWhileItsColumnIsUnderTheMouse() {
        Program p;
        showTab(p, Prywatne);
        auto* tab = p.find<TabPrywatne>("TabPrywatne");
        QLineEdit* phones[] = {p.find<QLineEdit>("fPRIV_PHONE_1"),
                               p.find<QLineEdit>("fPRIV_PHONE_2"),
                               p.find<QLineEdit>("fPRIV_PHONE_3")};
        auto* cell = p.find<QLabel>(cellName(true, 4, 3));
        moveMouseOver(p, cell);
        QTRY_COMPARE_WITH_TIMEOUT(baseColour(phones[1]), QColor(0x00FF00), kPatienceMs);
        QCOMPARE(baseColour(phones[0]), QColor(Qt::white));
        QCOMPARE(baseColour(phones[2]), QColor(Qt::white));
        QVERIFY(tab->highlightTimer()->isActive());
        QCOMPARE(tab->highlightTimer()->interval(), 3000);

        // A return cell of column 4 moves the light to phone 3.
        auto* ret = p.find<QLabel>(cellName(false, 9, 4));
        moveMouseOver(p, ret);
        QTRY_COMPARE_WITH_TIMEOUT(baseColour(phones[2]), QColor(0x00FF00), kPatienceMs);
        QCOMPARE(baseColour(phones[1]), QColor(Qt::white));
        moveMouseOver(p, p.find<QLabel>("RowLabel_15"));
        // The light goes out when the 3 s timer ends.
        QTRY_COMPARE_WITH_TIMEOUT(baseColour(phones[2]), QColor(Qt::white), kPatienceMs);
        QVERIFY(!tab->highlightTimer()->isActive());
    }

    void typedEditsLandInTheSettings() {
        Program p;
        showTab(p, Baza);
        auto* text = p.find<QLineEdit>(rowName("ALARM_TEXT", 5));
        text->setFocus();
        text->end(false);
        QTest::keyClicks(text, "x");
        QCOMPARE(p.ctx->settings().input(5).alarmText, "A1x");
        auto* time = p.find<QComboBox>(rowName("INPUT_DEAF_TIME", 5));
        time->setFocus();
        QTest::keyClick(time, Qt::Key_Down);
        QCOMPARE(p.ctx->settings().input(5).deafTime, 3);
        showTab(p, Prywatne);
        auto* phone = p.find<QLineEdit>("fPRIV_PHONE_2");
        phone->setFocus();
        QTest::keyClicks(phone, "123");
        QCOMPARE(p.ctx->settings().privPhones[1], "123");
        p.ui.answers = {false};
        p.find<QToolButton>("newConfig")->click();
        QCOMPARE(p.ui.lastText(), QString::fromUtf8(msg::kAskDiscardOnNew));
        QCOMPARE(text->text(), QStringLiteral("A1x"));
    }

    void descriptionsDoNotCountAsAChange() {
        Program p;
        showTab(p, Opisy);
        auto* memo = p.find<QPlainTextEdit>("Opis");
        memo->setFocus();
        QTest::keyClicks(memo, "Sklep");
        QTest::keyClick(memo, Qt::Key_Return);
        QTest::keyClicks(memo, "ul. Polna");
        QCOMPARE(p.ctx->settings().description, (std::vector<std::string>{"Sklep", "ul. Polna"}));
        auto* d = p.find<QLineEdit>(rowName("DESCRIPTION", 12));
        d->setFocus();
        QTest::keyClicks(d, "drzwi");
        QCOMPARE(p.ctx->settings().input(12).description, "drzwi");
        p.find<QToolButton>("newConfig")->click();
        QVERIFY(p.ui.shown.empty());

        p.ctx->settings().description = {"a"};
        Q_EMIT p.ctx->settingsReplaced();
        QCOMPARE(memo->toPlainText(), QStringLiteral("a"));
        click(p.find<QLabel>("Image23"));
        QVERIFY(p.ctx->settings().description.empty());
        QCOMPARE(memo->toPlainText(), QString());
        click(p.find<QLabel>("Image22"));
        QCOMPARE(p.find<QLineEdit>(rowName("DESCRIPTION", 1))->text(), QString());
    }

    void loadedFileShowsInTheWidgets() {
        Program p;
        Settings& s = p.ctx->settings();
        s.input(8).alarmText = "Drzwi";
        s.input(8).returnPhone = "501";
        s.input(8).status = true;
        s.input(8).deafTime = 20;
        s.input(11).nc = true;
        s.input(11).no = false;
        s.input(3).alarmAction[3] = {"C+S", ActionColour::Teal};
        s.privPhones[2] = "777";
        s.description = {"opis 1", "opis 2"};
        const std::string file = p.path("wczytaj.qvx").toStdString();
        QVERIFY(p.ctx->doc.saveFile(file).saved);
        p.find<QToolButton>("newConfig")->click();
        QCOMPARE(p.find<QLineEdit>(rowName("ALARM_TEXT", 8))->text(), QStringLiteral("A4"));

        QVERIFY(p.ctx->doc.openFile(file).opened);
        Q_EMIT p.ctx->settingsReplaced();
        QCOMPARE(p.find<QLineEdit>(rowName("ALARM_TEXT", 8))->text(), QStringLiteral("Drzwi"));
        QVERIFY(p.find<QLineEdit>(rowName("ALARM_TEXT", 8))->isHidden());
        QCOMPARE(p.find<QLineEdit>(rowName("RETURN_PHONE", 8))->text(), QStringLiteral("501"));
        QVERIFY(p.find<QCheckBox>(rowName("INPUT_STATUS", 8))->isChecked());
        QCOMPARE(p.find<QComboBox>(rowName("INPUT_DEAF_TIME", 8))->currentText(), "12");
        QVERIFY(p.find<QRadioButton>(rowName("INPUT_NC", 11))->isChecked());
        QVERIFY(!p.find<QRadioButton>(rowName("INPUT_NO", 11))->isChecked());
        auto* cell = p.find<QLabel>(cellName(true, 3, 4));
        QCOMPARE(cell->text(), QStringLiteral("C+S"));
        QCOMPARE(textColour(cell), QColor(0x006A6A));
        QCOMPARE(p.find<QLineEdit>("fPRIV_PHONE_3")->text(), QStringLiteral("777"));
        QCOMPARE(p.find<QPlainTextEdit>("Opis")->toPlainText(), QStringLiteral("opis 1\nopis 2"));
    }

    void everythingFitsInItsTab() {
        Program p;
        for (Tab tab : {Baza, Prywatne, Opisy}) {
            showTab(p, tab);
            QWidget* page = p.find<QTabWidget>("PageControl")->currentWidget();
            const QRect area = page->rect();
            for (QWidget* w : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                if (w->isHidden()) continue;
                QVERIFY2(area.contains(w->geometry()),
                         qPrintable(w->objectName() + " outside " + page->objectName()));
            }
        }
    }
};

QVPROG_GUI_TEST_MAIN(InputTabsTest)
#include "input_tabs_test.moc"
