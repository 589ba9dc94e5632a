// The port settings window: the port list, choosing and restoring a port, saving QVPROG2.INI,
// adapters plugged in and pulled out while it is open.
#include "support/fake_port_catalog.hpp"
#include "support/gui_test_support.hpp"

#include "gui/link/settings_window.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QTest>
#include <QToolButton>

using namespace qv::gui;
using namespace qv::gui::test;
using qv::PortInventory;

namespace {
SettingsWindow* settingsWindow(Program& p) {
    p.ctx->setPortCatalog(std::make_unique<FakePortCatalog>(
        qv::PortInventory{{fakeBuiltInPort("/dev/ttyS0"), fakeAdapter("/dev/ttyUSB0")}, {}}));
    return p.find<SettingsWindow>("TsettingsWindow");
}
QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

class SettingsWindowTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void closeBringsTheEarlierPortBack() {
        Program p("/dev/ttyS9");
        settingsWindow(p);
        int listed = -1, selected = 0;
        whenModal("TsettingsWindow", [&](QDialog* d) {
            auto* box = d->findChild<QComboBox*>("ComComboBox1");
            QTRY_COMPARE_WITH_TIMEOUT(box->count(), 2, kPatienceMs);
            listed = box->count();
            selected = box->currentIndex(); // a stored port that is not present: no entry
            box->setCurrentIndex(1);
            Q_EMIT box->activated(1);
            QCOMPARE(p.ctx->portName(), QStringLiteral("/dev/ttyUSB0")); // in force at once
            d->findChild<QToolButton*>("ToolButton3")->click();
        });
        p.find<QToolButton>("settingsButton")->click();
        QCOMPARE(listed, 2);
        QCOMPARE(selected, -1);
        QCOMPARE(p.ctx->portName(), QStringLiteral("/dev/ttyS9"));
    }

    void saveWritesBothKeysAndAppliesTheReverseReset() {
        Program p("/dev/ttyS0");
        settingsWindow(p);
        whenModal("TsettingsWindow", [&](QDialog* d) {
            auto* box = d->findChild<QComboBox*>("ComComboBox1");
            QTRY_COMPARE_WITH_TIMEOUT(box->count(), 2, kPatienceMs);
            box->setCurrentIndex(1);
            Q_EMIT box->activated(1);
            d->findChild<QCheckBox*>("cbReverseReset")->setChecked(true);
            d->findChild<QToolButton*>("ToolButton1")->click();
        });
        p.find<QToolButton>("settingsButton")->click();
        QCOMPARE(p.ui.lastText(), QStringLiteral("Konfiguracja zapisana"));
        QVERIFY(p.ctx->reverseReset());
        const QByteArray ini = readAll(p.path("QVPROG2.INI"));
        QVERIFY2(ini.contains("port=/dev/ttyUSB0"), ini.constData());
        QVERIFY2(ini.contains("reverse_reset=1"), ini.constData());
        QCOMPARE(p.find<QLabel>("StatusPanel2")->text(), QStringLiteral("Port: /dev/ttyUSB0/R"));
    }

    void aFailedSaveKeepsThePortButNotTheReverseReset() {
        Program p("/dev/ttyS0");
        settingsWindow(p);
        p.ctx->doc.setSettingsDir("/nonexistent-folder/");
        whenModal("TsettingsWindow", [&](QDialog* d) {
            auto* box = d->findChild<QComboBox*>("ComComboBox1");
            box->setEditText("/dev/pts/7"); // a typed name is accepted
            d->findChild<QCheckBox*>("cbReverseReset")->setChecked(true);
            d->findChild<QToolButton*>("ToolButton1")->click();
        });
        p.find<QToolButton>("settingsButton")->click();
        QCOMPARE(
            p.ui.lastText(),
            QStringLiteral("Błąd zapisu konfiguracji na dysku: /nonexistent-folder/QVPROG2.INI"));
        QCOMPARE(p.ctx->portName(), QStringLiteral("/dev/pts/7"));
        QVERIFY(!p.ctx->reverseReset());
    }

    // The list follows the machine while the window is open: through the catalog's
    // notifications, or by looking every second where the system gives none.
    void adaptersPluggedAndPulledShowInTheList_data() {
        QTest::addColumn<bool>("withWatch");
        QTest::newRow("notified") << true;
        QTest::newRow("looked at") << false;
    }
    void adaptersPluggedAndPulledShowInTheList() {
        QFETCH(bool, withWatch);
        Program p("/dev/ttyUSB0");
        auto owned = std::make_unique<FakePortCatalog>(
            PortInventory{{fakeBuiltInPort("/dev/ttyS0")}, {}}, withWatch);
        FakePortCatalog* catalog = owned.get();
        p.ctx->setPortCatalog(std::move(owned));
        struct Step {
            PortInventory inventory;
            QStringList names;
            QStringList details; // in the description below the list
            QString withoutDriver;
        };
        const std::vector<Step> steps = {
            {{{fakeBuiltInPort("/dev/ttyS0"), fakeAdapter("/dev/ttyUSB0")}, {}},
             {"/dev/ttyS0", "/dev/ttyUSB0"},
             {"/dev/ttyUSB0: adapter", "producent FTDI", "nr seryjny A50285BI",
              "sterownik ftdi_sio", "/dev/ttyS0: port wbudowany"},
             {}},
            {{{fakeBuiltInPort("/dev/ttyS0")}, {fakeAdapterWithoutDriver()}},
             {"/dev/ttyS0"},
             {"/dev/ttyUSB0: nie ma go teraz na liście portów systemu"},
             "brak sterownika. Załaduj moduł ch341: sudo modprobe ch341"},
            {{}, {}, {"W systemie nie ma portów szeregowych."}, {}},
            {{{fakeAdapter("/dev/ttyUSB0", "B1"), fakeAdapter("/dev/ttyUSB1", "B2")}, {}},
             {"/dev/ttyUSB0", "/dev/ttyUSB1"},
             {"nr seryjny B1", "/dev/ttyUSB1: adapter", "nr seryjny B2"},
             {}},
        };
        int stepsSeen = 0;
        int watchesWhileOpen = -1;
        whenModal("TsettingsWindow", [&](QDialog* d) {
            auto* box = d->findChild<QComboBox*>("ComComboBox1");
            auto* details = d->findChild<QLabel*>("PortDetails");
            auto* unusable = d->findChild<QLabel*>("AdaptersWithoutDriver");
            QTRY_COMPARE_WITH_TIMEOUT(box->count(), 1, kPatienceMs);
            watchesWhileOpen = catalog->watchesOpen();
            for (const Step& step : steps) {
                catalog->plug(step.inventory);
                QStringList names;
                QTRY_VERIFY_WITH_TIMEOUT(
                    [&] {
                        names.clear();
                        for (int i = 0; i < box->count(); ++i)
                            names << box->itemText(i);
                        return names == step.names;
                    }(),
                    kPatienceMs);
                for (const QString& part : step.details)
                    QVERIFY2(details->text().contains(part), qPrintable(details->text()));
                QCOMPARE(unusable->isVisibleTo(d), !step.withoutDriver.isEmpty());
                QVERIFY2(unusable->text().contains(step.withoutDriver),
                         qPrintable(unusable->text()));
                QCOMPARE(box->currentText(), QStringLiteral("/dev/ttyUSB0")); // the chosen stays
                ++stepsSeen;
            }
            d->findChild<QToolButton*>("ToolButton3")->click();
        });
        p.find<QToolButton>("settingsButton")->click();
        QCOMPARE(stepsSeen, int(steps.size()));
        QCOMPARE(watchesWhileOpen, withWatch ? 1 : 0);
        QCOMPARE(catalog->watchesOpen(), 0); // no notifications once the window is closed
        // With notifications the list is read once when the window opens, not every second.
        if (withWatch) QCOMPARE(catalog->inventoriesRead(), 1);
    }
};

QVPROG_GUI_TEST_MAIN(SettingsWindowTest)
#include "settings_window_test.moc"
