// The parameter, GPRS, alarm-panel and add-on tabs as a technician uses them: every edit
// reaches the settings, and the controls that depend on a setting follow it.
#include "support/gui_test_support.hpp"

#include "config/item_lists.hpp"
#include "gui/widgets/toolbar_icons.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

using namespace qv;
using namespace qv::gui;
using namespace qv::gui::test;

namespace {

// Picks an item as the user does with the mouse or the keyboard.
void pick(QComboBox* list, int index) {
    list->setCurrentIndex(index);
    Q_EMIT list->activated(index);
}

QWidget* showTab(Program& p, const char* name) {
    auto* pages = p.find<QTabWidget>("PageControl");
    QWidget* tab = p.find<QWidget>(name);
    pages->setCurrentWidget(tab);
    return tab;
}

QImage iconImage(const QIcon& icon) {
    return icon.pixmap(24, 24).toImage();
}

} // namespace

class ParameterTabsTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void outputTypeRebuildsTheParameterList() {
        Program p;
        showTab(p, "TabCentralka");
        auto* type = p.find<QComboBox>("fOUTPUT_TYPE2");
        auto* param = p.find<QComboBox>("fOUTPUT_PARAM2");
        auto* caption = p.find<QLabel>("OutputParamLabel2");
        QVERIFY(type && param && caption);
        QCOMPARE(type->count(), 8);
        QCOMPARE(type->itemText(1), QStringLiteral("-----------"));
        QVERIFY(param->isHidden());

        pick(type, 7); // "Monostabilne SMS"
        QVERIFY(!param->isHidden());
        QCOMPARE(param->count(), 255);
        QCOMPARE(param->currentText(), QStringLiteral("1 sec."));
        QCOMPARE(caption->text(), QStringLiteral("Czas załączenia:"));
        pick(param, 99);
        QCOMPARE(p.ctx->settings().output(2).param, 99);

        pick(type, 4); // "Stan wejścia"
        QCOMPARE(param->count(), 15);
        for (int i = 0; i < 15; ++i)
            QCOMPARE(param->itemText(i), QString::fromUtf8(items::slotLabel(i + 1)));
        QCOMPARE(param->currentText(), QStringLiteral("Test/Status"));
        QCOMPARE(caption->text(), QStringLiteral("Które wejście:"));
        QCOMPARE(p.ctx->settings().output(2).type, 4);
        QCOMPARE(p.ctx->settings().output(2).param, 0);

        pick(type, 2);
        QVERIFY(param->isHidden());
        QCOMPARE(caption->text(), QString());
        QCOMPARE(p.find<QLabel>("OutputNameLabel1")->text(), QStringLiteral("S5 1:"));
        QCOMPARE(p.find<QLabel>("OutputNameLabel5")->text(), QStringLiteral("Ex 4:"));
    }

    void sirenPanelOnlyForOutputOneOfTypeOne() {
        Program p;
        showTab(p, "TabCentralka");
        auto* bell = p.find<QWidget>("BELLPanel");
        QVERIFY(bell);
        QVERIFY(bell->isHidden());
        pick(p.find<QComboBox>("fOUTPUT_TYPE2"), 1);
        QVERIFY(bell->isHidden());
        pick(p.find<QComboBox>("fOUTPUT_TYPE1"), 1); // "Sygnalizator"
        QVERIFY(!bell->isHidden());
        QVERIFY(p.find<QComboBox>("fOUTPUT_PARAM1")->isHidden());
        // Between output 1 and output 2, with the siren time and one box per input.
        QVERIFY(bell->y() > p.find<QComboBox>("fOUTPUT_TYPE1")->y());
        QVERIFY(bell->y() < p.find<QComboBox>("fOUTPUT_TYPE2")->y());
        QVERIFY(bell->findChild<QComboBox*>("fBELL_TIME"));
        QCOMPARE(bell->findChildren<QCheckBox*>().size(), 15);
        QCOMPARE(bell->findChild<QLabel*>("BellLabel10")->text(), QStringLiteral("E1"));
        QVERIFY(!bell->findChild<QCheckBox*>("fZONE_BELL_MASK1_1")->isEnabled());
        auto* siren5 = bell->findChild<QCheckBox*>("fZONE_BELL_MASK1_5");
        QVERIFY(siren5->isEnabled());
        siren5->click();
        QVERIFY(p.ctx->settings().input(5).zoneBellMask);
        pick(p.find<QComboBox>("fOUTPUT_TYPE1"), 5);
        QVERIFY(bell->isHidden());
    }

    void testPeriodSwitchedOffShowsBrak() {
        Program p;
        showTab(p, "TabGPRS");
        auto* doTest = p.find<QCheckBox>("cbTestPeriod");
        auto* period = p.find<QComboBox>("fTEST_PERIOD");
        auto* none = p.find<QLabel>("PanelTestPeriod");
        QVERIFY(doTest && period && none);
        QCOMPARE(period->count(), 144);
        QCOMPARE(period->currentText(), QStringLiteral("24:00"));
        QVERIFY(doTest->isChecked());
        QVERIFY(period->isEnabled());
        QVERIFY(none->isHidden());

        doTest->click();
        QVERIFY(!period->isEnabled());
        QVERIFY(!none->isHidden());
        QCOMPARE(none->text(), QStringLiteral("BRAK"));
        p.ctx->doc.form2tab();
        QVERIFY(p.ctx->doc.image()[153] & 0x10);

        doTest->click();
        QVERIFY(period->isEnabled());
        QVERIFY(none->isHidden());
        p.ctx->doc.form2tab();
        QVERIFY(!(p.ctx->doc.image()[153] & 0x10));
    }

    void gsmSliderShowsItsPercentage() {
        Program p;
        showTab(p, "TabParametry");
        auto* slider = p.find<QSlider>("RangeAlarmSlide");
        auto* percent = p.find<QLabel>("rangeAlarm");
        QCOMPARE(slider->maximum(), 31);
        QCOMPARE(percent->text(), QStringLiteral("10%")); // 3 at start
        slider->setValue(31);
        QCOMPARE(percent->text(), QStringLiteral("103%"));
        QCOMPARE(p.ctx->settings().gsmLevel, 31);
        slider->setValue(1);
        QCOMPARE(percent->text(), QStringLiteral("3%"));
    }

    void alarmPanelButtonTwiceRestoresTheGroups() {
        Program p;
        showTab(p, "TabCentralka");
        auto* button = p.find<QToolButton>("centralkaButton");
        QVERIFY(button);
        QCOMPARE(button->text(), QStringLiteral("  CENTRALKA  "));
        QCOMPARE(button->toolTip(), QStringLiteral("Włącz / wyłącz funkcje centralki alarmowej"));
        QVERIFY(p.find<QToolBar>("ToolBar2"));
        QVERIFY(p.find<QCheckBox>("fUSE_ZONE")->isHidden());
        const QStringList groups = {"ZONE1", "DELAY", "REMOTE"};
        auto groupsShown = [&] {
            int shown = 0;
            for (const QString& g : groups)
                shown += p.find<QGroupBox>(g)->isHidden() ? 0 : 1;
            return shown;
        };
        QCOMPARE(groupsShown(), 0);
        QVERIFY(!button->isChecked());
        QCOMPARE(iconImage(button->icon()), iconImage(toolIcon(ToolIcon::AlarmPanelOff)));

        button->click();
        QVERIFY(p.ctx->settings().useZone);
        QVERIFY(p.find<QCheckBox>("fUSE_ZONE")->isChecked());
        QCOMPARE(groupsShown(), 3);
        QVERIFY(button->isChecked());
        QCOMPARE(iconImage(button->icon()), iconImage(toolIcon(ToolIcon::AlarmPanelOn)));
        QCOMPARE(p.find<QGroupBox>("ZONE1")->title(), QStringLiteral(" Strefa "));

        button->click();
        QVERIFY(!p.ctx->settings().useZone);
        QCOMPARE(groupsShown(), 0);
        QVERIFY(!button->isChecked());
        QCOMPARE(iconImage(button->icon()), iconImage(toolIcon(ToolIcon::AlarmPanelOff)));
    }

    void zoneBoxesKeepTheirFixedConstraints() {
        Program p;
        showTab(p, "TabCentralka");
        p.find<QToolButton>("centralkaButton")->click();
        for (int s = 1; s <= 6; ++s)
            QVERIFY(!p.find<QCheckBox>(QStringLiteral("fZONE_MASK1_%1").arg(s))->isEnabled());
        QVERIFY(p.find<QCheckBox>("fZONE_MASK1_6")->isChecked()); // input 2 always blocked
        auto* box = p.find<QCheckBox>("fZONE_MASK1_7");
        QVERIFY(box->isEnabled());
        box->click();
        QVERIFY(p.ctx->settings().input(7).zoneMask);
        QCOMPARE(p.find<QLabel>("ZoneLabel1")->text(), QStringLiteral("T"));
    }

    void anyPhoneHidesTheAuthorisedNumbers() {
        Program p;
        showTab(p, "TabParametry");
        auto* any = p.find<QCheckBox>("fENABLE_ANY_PHONE");
        QCOMPARE(any->text(), QStringLiteral("Dowolny telefon sterujący/CLIPujący"));
        const QStringList names = {"SecurityPhoneLabel", "fSecurityPhone1", "fSecurityPhone2",
                                   "fSecurityPhone3", "fSecurityPhone4"};
        auto hidden = [&] {
            int n = 0;
            for (const QString& name : names)
                n += p.find<QWidget>(name)->isHidden() ? 1 : 0;
            return n;
        };
        QCOMPARE(hidden(), 0);
        any->click();
        QVERIFY(p.ctx->settings().enableAnyPhone);
        QCOMPARE(hidden(), 5);
        any->click();
        QCOMPARE(hidden(), 0);
    }

    void gprsObjectMirrorsTheObjectNumber() {
        Program p;
        showTab(p, "TabParametry");
        auto* object = p.find<QLineEdit>("fOBJECT");
        auto* mirror = p.find<QLabel>("fGPRS_OBJECT");
        QCOMPARE(mirror->text(), QStringLiteral("0001"));
        QCOMPARE(mirror->toolTip(),
                 QStringLiteral("Numer obiektu definiuje się w zakładce PARAMETRY"));
        object->selectAll();
        QTest::keyClicks(object, "12345");
        QCOMPARE(object->text(), QStringLiteral("1234")); // four characters
        QCOMPARE(p.ctx->settings().object, "1234");
        QCOMPARE(mirror->text(), QStringLiteral("1234"));

        showTab(p, "TabGPRS");
        const QColor normal = object->palette().color(QPalette::Base);
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(mirror, &enter);
        QCOMPARE(object->palette().color(QPalette::Base), QColor(Qt::red));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(mirror, &leave);
        QCOMPARE(object->palette().color(QPalette::Base), normal);

        // The focus shows only in an active window: activate it, as a click into it would.
        p.window->activateWindow();
        QTest::mouseDClick(mirror, Qt::LeftButton);
        QCOMPARE(p.find<QTabWidget>("PageControl")->currentWidget(),
                 p.find<QWidget>("TabParametry"));
        QTRY_VERIFY_WITH_TIMEOUT(object->hasFocus(), kPatienceMs);
    }

    void editsReachTheSettingsAndBack() {
        Program p;
        showTab(p, "TabGPRS");
        auto* apn = p.find<QLineEdit>("fAPN");
        apn->selectAll();
        QTest::keyClicks(apn, "inet.pl");
        QCOMPARE(p.ctx->settings().apn, "inet.pl");
        pick(p.find<QComboBox>("fPING_TIME"), 0);
        QCOMPARE(p.ctx->settings().pingTime, 0);
        QCOMPARE(p.find<QLineEdit>("EditAckDelay")->text(), QStringLiteral("250"));
        QCOMPARE(p.find<QLineEdit>("EditKissOffDelay")->text(), QStringLiteral("30"));

        showTab(p, "TabParametry");
        auto* dgg = p.find<QRadioButton>("fDGG16Z");
        auto* vorkal = p.find<QRadioButton>("fVORKAL");
        QVERIFY(vorkal->isChecked());
        dgg->click();
        QVERIFY(p.ctx->settings().dgg16z && !p.ctx->settings().vorkal);
        QVERIFY(!vorkal->isChecked());
        dgg->click(); // choosing the chosen button keeps it
        QVERIFY(dgg->isChecked());
        // A file with neither key set shows neither button chosen.
        p.ctx->settings().dgg16z = false;
        Q_EMIT p.ctx->settingsReplaced();
        QVERIFY(!dgg->isChecked() && !vorkal->isChecked());

        auto* analog = p.find<QCheckBox>("fANALOG_INPUT_4_ENABLE");
        auto* list = p.find<QComboBox>("fAnalog_Input_4");
        QCOMPARE(list->count(), 240);
        QCOMPARE(list->currentText(), QStringLiteral("1,5"));
        QVERIFY(!list->isEnabled());
        analog->click();
        QVERIFY(list->isEnabled());
        QVERIFY(!p.find<QComboBox>("fAnalog_Input_3")->isEnabled());

        // Settings replaced from outside (a file, a read) are shown everywhere.
        p.ctx->settings().securityPhones[2] = "600700800";
        p.ctx->settings().server = "10.0.0.1";
        Q_EMIT p.ctx->settingsReplaced();
        QCOMPARE(p.find<QLineEdit>("fSecurityPhone3")->text(), QStringLiteral("600700800"));
        QCOMPARE(p.find<QLineEdit>("fSERVER")->text(), QStringLiteral("10.0.0.1"));
        QVERIFY(p.find<QGroupBox>("GroupTemperature")->isHidden());
        QVERIFY(p.find<QLineEdit>("EditCzujka5LevelL"));
    }

    void editsHaveTheImageFieldLimits() {
        Program p;
        const std::pair<const char*, int> limits[] = {{"fPIN", 4},          {"fPASSWORD", 4},
                                                      {"fOBJECT", 4},       {"fOBJECT_NAME", 64},
                                                      {"fSERVER", 50},      {"fPORT", 5},
                                                      {"fAPN", 50},         {"fAPN_USER", 20},
                                                      {"fAPN_PASS", 20},    {"fSecurityPhone4", 15},
                                                      {"EditDtmfPhone", 15}};
        for (const auto& [name, limit] : limits) {
            auto* e = p.find<QLineEdit>(name);
            QVERIFY2(e, name);
            QCOMPARE(e->maxLength(), limit);
            QCOMPARE(e->toolTip(), QStringLiteral("Długość pola: %1").arg(limit));
        }
    }

    void tabButtonsOpenTheirWindows() {
        Program p;
        QCOMPARE(p.find<QPushButton>("Button4")->text(),
                 QStringLiteral("Dodatkowe numery sterujące"));
        QCOMPARE(p.find<QPushButton>("Button3")->text(), QStringLiteral("Opisy SMSów"));
        QCOMPARE(p.find<QPushButton>("Button5")->text(),
                 QStringLiteral("Odczytaj/Zapisz liczniki wejsc Solvo-5"));
        QCOMPARE(p.find<QPushButton>("Button8")->text(), QStringLiteral("Zarzadzaj numerami"));
        QCOMPARE(p.find<QPushButton>("Button8")->parentWidget()->objectName(),
                 QStringLiteral("GroupPhoneBase"));
        QCOMPARE(qobject_cast<QGroupBox*>(p.find<QPushButton>("Button5")->parentWidget())->title(),
                 QStringLiteral(" Firmware z licznikami na wejsciach (subwersja 3) "));
    }

    // Every control of a tab lies inside it at its window height, also with everything that
    // can be shown shown (alarm panel on, siren panel on).
    void everyTabFitsItsWindowHeight() {
        Program p;
        p.find<QToolButton>("centralkaButton")->click();
        pick(p.find<QComboBox>("fOUTPUT_TYPE1"), 1);
        pick(p.find<QComboBox>("fOUTPUT_TYPE2"), 5);
        const QString dir = qEnvironmentVariable("QVPROG_SCREENSHOT_DIR");
        for (const char* name : {"TabParametry", "TabGPRS", "TabCentralka", "TabAddOns"}) {
            QWidget* tab = showTab(p, name);
            settleLayouts();
            if (!dir.isEmpty()) p.window->grab().save(dir + "/" + name + ".png");
            QVERIFY2(tab->minimumSizeHint().height() <= tab->height(),
                     qPrintable(QStringLiteral("%1: %2 > %3")
                                    .arg(name)
                                    .arg(tab->minimumSizeHint().height())
                                    .arg(tab->height())));
            for (QWidget* w : tab->findChildren<QWidget*>()) {
                if (!w->isVisible()) continue;
                const QRect r(w->mapTo(tab, QPoint(0, 0)), w->size());
                QVERIFY2(tab->rect().contains(r),
                         qPrintable(QString::fromLatin1(name) + ": " + w->objectName()));
            }
        }
    }
};

QVPROG_GUI_TEST_MAIN(ParameterTabsTest)
#include "parameter_tabs_test.moc"
