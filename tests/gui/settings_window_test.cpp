// The port settings window: the port list, choosing and restoring a port, saving QVPROG2.INI.
#include "support/gui_test_support.hpp"

#include "gui/settings_window.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QTest>
#include <QToolButton>

using namespace qv::gui;
using namespace qv::gui::test;

namespace {
SettingsWindow* settingsWindow(Program& p) {
    auto* w = p.find<SettingsWindow>("TsettingsWindow");
    w->setPortLister([] { return std::vector<std::string>{"/dev/ttyS0", "/dev/ttyUSB0"}; });
    return w;
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
};

QVPROG_GUI_TEST_MAIN(SettingsWindowTest)
#include "settings_window_test.moc"
