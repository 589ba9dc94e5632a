// The program as assistive technology and the keyboard meet it: every control named, text set
// through the accessibility interface taken into the configuration, the clickable labels, the
// page tabs and the buttons' press actions, the tool-bar keys, the Tab order of the table tabs,
// and a whole session (edit, read, save) driven by key events alone.
#include "support/gui_test_support.hpp"

#include "config/config_document.hpp"
#include "config/conversion.hpp"
#include "gui/device_windows/compare_window.hpp"
#include "gui/link/link_window.hpp"
#include "gui/monitor/monitor_window.hpp"
#include "gui/widgets/clickable_label.hpp"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <map>

using namespace qv;
using namespace qv::gui;
using namespace qv::gui::test;

namespace {

QAccessibleInterface* iface(QObject* o) {
    return QAccessible::queryAccessibleInterface(o);
}

// Qt's own parts of a control (a list's line edit, a scroll area's bars and viewport, a tab
// bar's scroll buttons, a grid's headers and corner button, the tool bar's extension button)
// are reached through that control.
bool partOfAControl(QWidget* w) {
    // A tool bar's extension button is a control of its own: it shows what the bar cannot hold.
    if (w->objectName() == QLatin1String("qt_toolbar_ext_button")) return false;
    if (w->objectName().startsWith(QLatin1String("qt_")) || qobject_cast<QScrollBar*>(w))
        return true;
    for (QWidget* p = w->parentWidget(); p && !p->isWindow(); p = p->parentWidget())
        if (qobject_cast<QComboBox*>(p) || qobject_cast<QTabBar*>(p) ||
            qobject_cast<QAbstractItemView*>(p) || qobject_cast<QAbstractSpinBox*>(p))
            return true;
    return false;
}

bool interactive(QWidget* w) {
    // A widget that hands its focus on (a tab widget to its tabs) is reached as that one.
    if (w->isWindow() || partOfAControl(w) || w->focusProxy()) return false;
    if (qobject_cast<ClickableLabel*>(w)) return true;
    switch (iface(w)->role()) {
    case QAccessible::Button:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::SpinBox:
    case QAccessible::Slider:
    case QAccessible::Link:
    case QAccessible::PageTabList:
    case QAccessible::Table:
    case QAccessible::List:
    case QAccessible::Tree:
    case QAccessible::ButtonMenu:
    case QAccessible::ButtonDropDown:
        return true;
    default:
        return (w->focusPolicy() & Qt::TabFocus) != 0;
    }
}

// The name a person hears: the control's own name, a label that names it, or its caption.
// A group's title (Qt's last resort) names no single control, and a list's current item is
// its value, not its name.
QString heardName(QWidget* w) {
    if (!w->accessibleName().trimmed().isEmpty()) return w->accessibleName();
    if (QWidget* parent = w->parentWidget())
        for (QLabel* l : parent->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
            if (l->buddy() == w && !l->text().trimmed().isEmpty()) return l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text().trimmed();
    if (auto* l = qobject_cast<ClickableLabel*>(w)) return l->text().trimmed();
    if (auto* bar = qobject_cast<QTabBar*>(w)) {
        for (int i = 0; i < bar->count(); ++i)
            if (bar->tabText(i).trimmed().isEmpty()) return {};
        return QStringLiteral("tabs");
    }
    return {};
}

struct Figure {
    int interactive = 0;
    int named = 0;
    QStringList unnamed;
};

// Counts the controls of window (not those of the windows it owns), each under the part the
// key function gives it.
void audit(QWidget* window, const std::function<QString(QWidget*)>& part,
           std::map<QString, Figure>& figures) {
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (w->window() != window || !interactive(w)) continue;
        Figure& f = figures[part(w)];
        ++f.interactive;
        QString name = heardName(w);
        // The interface must say it too; Linux reads a list's current item as its name and its
        // name from the label that names it.
        if (iface(w)->role() == QAccessible::ComboBox
                ? iface(w)->relations(QAccessible::Label).isEmpty()
                : iface(w)->text(QAccessible::Name).trimmed().isEmpty())
            name.clear();
        if (name.isEmpty())
            f.unnamed << w->objectName() + QStringLiteral(" (") +
                             QString::fromLatin1(w->metaObject()->className()) + u')';
        else
            ++f.named;
    }
}

// The tab of the main window a widget lies on, or the window's frame (tool bar, status bar).
QString pageOf(QTabWidget* pages, QWidget* w) {
    for (QWidget* p = w; p; p = p->parentWidget())
        if (const int i = pages->indexOf(p); i >= 0)
            return QStringLiteral("TForm1 / ") + p->objectName();
    return QStringLiteral("TForm1 (pasek narzędzi, pasek stanu, zakładki)");
}

// The widgets a Tab press reaches from first, in order, until it comes round again.
QList<QWidget*> tabChain(QWidget* first) {
    QList<QWidget*> chain;
    first->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < 2000; ++i) {
        QWidget* f = QApplication::focusWidget();
        if (!f || chain.contains(f)) break;
        chain << f;
        QTest::keyClick(f, Qt::Key_Tab);
    }
    return chain;
}

QStringList names(const QList<QWidget*>& widgets) {
    QStringList out;
    for (QWidget* w : widgets)
        out << w->objectName();
    return out;
}

// Sends key events to whatever has the keyboard focus, as a keyboard does.
void press(QKeySequence keys) {
    const QKeyCombination k = keys[0];
    QTest::keyClick(static_cast<QWidget*>(nullptr), k.key(), k.keyboardModifiers());
}
void type(const QString& text) {
    QTest::keyClicks(static_cast<QWidget*>(nullptr), text);
}
// Tab until the control named objectName has the focus (at most limit presses).
bool tabTo(const QString& objectName, bool back = false, int limit = 400) {
    for (int i = 0; i < limit; ++i) {
        if (QWidget* f = QApplication::focusWidget(); f && f->objectName() == objectName)
            return true;
        press(back ? QKeySequence(Qt::SHIFT | Qt::Key_Backtab) : QKeySequence(Qt::Key_Tab));
    }
    return false;
}

QString focusName() {
    QWidget* f = QApplication::focusWidget();
    return f ? f->objectName() : QString();
}

} // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void everyInteractiveControlHasAName() {
        Program p;
        // The windows made on first use, and the monitor's service terminal.
        p.window->showLogWindow();
        CompareWindow compare(p.window.get());
        auto* pages = p.find<QTabWidget>("PageControl");

        std::map<QString, Figure> figures;
        audit(
            p.window.get(), [&](QWidget* w) { return pageOf(pages, w); }, figures);
        QList<QWidget*> windows;
        for (QDialog* d : p.window->findChildren<QDialog*>())
            windows << d;
        for (QWidget* w : p.window->findChildren<QWidget*>())
            if (w->isWindow() && !qobject_cast<QDialog*>(w) && w->objectName().startsWith('T'))
                windows << w;
        for (QWidget* w : windows)
            audit(
                w, [w](QWidget*) { return w->objectName(); }, figures);

        QStringList faults;
        int all = 0, named = 0;
        for (const auto& [window, f] : figures) {
            qInfo("%-60s %4d / %-4d", qPrintable(window), f.named, f.interactive);
            all += f.interactive;
            named += f.named;
            if (!f.unnamed.isEmpty())
                faults << window + QStringLiteral(": ") + f.unnamed.join(QStringLiteral(", "));
        }
        qInfo("all windows: %d / %d named", named, all);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
        // The walk saw the tables, not just the frame.
        QVERIFY(figures[QStringLiteral("TForm1 / TabBaza")].interactive > 150);
        QVERIFY(figures[QStringLiteral("TForm1 / TabPrywatne")].interactive > 120);
        QVERIFY(figures[QStringLiteral("TFormAddPhones")].interactive >= 56);
    }

    void tableControlsAreNamedByRowAndColumn() {
        Program p;
        const std::pair<const char*, const char*> expected[] = {
            {"fALARM_TEXT_5", "Wejście 1(K) – Treść SMS (alarm)"},
            {"fINPUT_DEAF_TIME_2", "Wejście AC – Czas wejścia"},
            {"fINPUT_NC_6", "Wejście 2(Z) – NC"},
            {"fPRIV_PHONE_2", "Telefon prywatny 2"},
            {"fDESCRIPTION_3", "Akumulator – Opis wejścia"},
            {"fOUTPUT_TYPE2", "Ex 1 – Tryb pracy"},
            {"setReset", "Reset – zmień wszystkie"},
        };
        for (const auto& [object, name] : expected) {
            auto* w = p.find<QWidget>(object);
            QVERIFY2(w, object);
            // Linux reads a list's current item as its name, and its name from its label.
            if (qobject_cast<QComboBox*>(w)) {
                QCOMPARE(w->accessibleName(), QString::fromUtf8(name));
                // (A list in a group has the group's caption as a second label.)
                const auto labels = iface(w)->relations(QAccessible::Label);
                QVERIFY(!labels.isEmpty());
                QCOMPARE(labels[0].first->text(QAccessible::Name), QString::fromUtf8(name));
            } else
                QCOMPARE(iface(w)->text(QAccessible::Name), QString::fromUtf8(name));
        }
        // An action cell reads its notification after its name, and says when it changes.
        auto* cell = p.find<ClickableLabel>("fALARM_ACTION_4_3");
        QCOMPARE(iface(cell)->text(QAccessible::Name),
                 QStringLiteral("Zasięg GSM – A2 (telefon prywatny 2): brak"));
        QCOMPARE(iface(cell)->role(), QAccessible::Button);
        // The contact-type pairs are radio buttons, whatever their exclusivity.
        QCOMPARE(iface(p.find<QWidget>("fINPUT_NO_9"))->role(), QAccessible::RadioButton);
        QVERIFY(iface(p.find<QWidget>("fINPUT_NO_9"))->state().checked);
        cell->activate();
        QCOMPARE(iface(cell)->text(QAccessible::Name),
                 QStringLiteral("Zasięg GSM – A2 (telefon prywatny 2): SMS"));
        // The pictures without a hint are described.
        QVERIFY(
            !iface(p.find<QWidget>("AlarmPhoneCopy"))->text(QAccessible::Description).isEmpty());
        QCOMPARE(iface(p.find<QWidget>("Image17"))->text(QAccessible::Description),
                 QStringLiteral("Wyczyść treści SMSów"));
    }

    void textSetThroughAccessibilityReachesTheImage() {
        Program p;
        int edits = 0;
        connect(p.ctx.get(), &AppContext::settingsEdited, [&] { ++edits; });
        // The editable-text interface, as an on-screen keyboard or dictation uses it.
        auto* alarmText = p.find<QLineEdit>("fALARM_TEXT_5");
        auto* text = iface(alarmText)->editableTextInterface();
        QVERIFY(text);
        text->replaceText(0, iface(alarmText)->textInterface()->characterCount(),
                          QStringLiteral("rzwi"));
        text->insertText(0, QStringLiteral("d"));
        // setText, as a screen reader's "set value" does, on each kind of binding: a table
        // row, a private phone, a bound parameter, the private SMS text of another tab.
        iface(p.find<QLineEdit>("fPRIV_PHONE_2"))->setText(QAccessible::Value, "600100200");
        iface(p.find<QLineEdit>("fPIN"))->setText(QAccessible::Value, "1234");
        iface(p.find<QLineEdit>("fRETURN_PRIV_TEXT_7"))->setText(QAccessible::Value, "Koniec");
        QCOMPARE(edits, 5);
        // Text put in by a program (a drop, a completion) is taken too.
        auto* phone = p.find<QLineEdit>("fALARM_PHONE_6");
        phone->setText(QStringLiteral("500"));
        QCOMPARE(edits, 6);

        p.ctx->doc.form2tab();
        Settings read = p.ctx->settings();
        tab2form(p.ctx->doc.image(), read);
        QCOMPARE(read.input(5).alarmText, "drzwi");
        QCOMPARE(read.privPhones[1], "600100200");
        QCOMPARE(read.pin, "1234");
        QCOMPARE(read.input(7).returnPrivText, "Koniec");
        QCOMPARE(read.input(6).alarmPhone, "500");
        QVERIFY(p.ctx->doc.isModified());

        // The window showing settings again is no edit: a refresh changes no setting and tells
        // nobody, and the fields show what the settings hold.
        p.ctx->settings().input(5).alarmText = "Okno";
        p.ctx->settings().privPhones[1] = "";
        p.window->refreshAll();
        QCOMPARE(edits, 6);
        QCOMPARE(alarmText->text(), QStringLiteral("Okno"));
        QCOMPARE(p.find<QLineEdit>("fPRIV_PHONE_2")->text(), QString());
        // Loading a file shows its values without counting them as edits.
        p.window->newConfigClick();
        QCOMPARE(edits, 6);
        QVERIFY(!p.ctx->doc.isModified());
    }

    void pageTabsOfferOnlyTheShownPagesAndSayWhichIsSelected() {
        Program p;
        auto* pages = p.find<QTabWidget>("PageControl");
        QAccessibleInterface* bar = iface(pages->tabBar());
        QCOMPARE(bar->role(), QAccessible::PageTabList);
        QCOMPARE(bar->childCount(), 7); // the service page stays hidden
        QCOMPARE(bar->child(6)->text(QAccessible::Name), QStringLiteral("Dodatki"));
        QVERIFY(!bar->child(7));
        QVERIFY(bar->child(0)->state().selected);
        QVERIFY(!bar->child(2)->state().selected);
        bar->child(2)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(pages->currentIndex(), 2);
        QVERIFY(bar->child(2)->state().selected);
        QVERIFY(!bar->child(0)->state().selected);
        QCOMPARE(bar->indexOfChild(bar->child(2)), 2);
        QCOMPARE(bar->text(QAccessible::Name), QStringLiteral("PARAMETRY"));
        // Ctrl+Tab changes the page from inside a field too, and never lands on the hidden one.
        pages->setCurrentIndex(0);
        QTest::keyClick(p.find<QLineEdit>("fALARM_TEXT_5"), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(pages->currentIndex(), 1);
        pages->setCurrentIndex(6);
        QTest::keyClick(pages, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(pages->currentIndex(), 0);
    }

    void pressActionsReturnBeforeTheWindowOpens() {
        Program p;
        // "Historia" opens a modal window: the press returns first, the window comes after.
        bool opened = false;
        auto watcher = whenModal("ThistoryForm", [&](QDialog* d) {
            opened = true;
            d->done(0);
        });
        QAccessibleInterface* history = iface(p.find<QToolButton>("historyButton"));
        QVERIFY(history->actionInterface()->actionNames().contains(
            QAccessibleActionInterface::pressAction()));
        history->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QVERIFY(!opened);
        QTRY_VERIFY_WITH_TIMEOUT(opened, kPatienceMs);
        // A clickable label's press action as well.
        auto* setStatus = p.find<ClickableLabel>("setStatus");
        iface(setStatus)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QVERIFY(!p.ctx->settings().input(1).status);
        QTRY_VERIFY_WITH_TIMEOUT(p.ctx->settings().input(1).status, kPatienceMs);
        // Check boxes, radio buttons and the alarm-panel switch keep Qt's own toggle action
        // (no click), and it reaches the settings.
        const auto toggle = [](QWidget* w) {
            QVERIFY2(w, "widget not found");
            QVERIFY(iface(w)->actionInterface()->actionNames().contains(
                QAccessibleActionInterface::toggleAction()));
            iface(w)->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        };
        toggle(p.find<QCheckBox>("fINPUT_RESET_5"));
        QVERIFY(p.ctx->settings().input(5).reset);
        toggle(p.find<QRadioButton>("fINPUT_NC_7"));
        QVERIFY(p.ctx->settings().input(7).nc);
        QVERIFY(!p.ctx->settings().input(7).no);
        const bool panel = p.ctx->settings().useZone;
        toggle(p.find<QToolButton>("centralkaButton"));
        QCOMPARE(p.ctx->settings().useZone, !panel);
        QCOMPARE(p.find<QToolButton>("centralkaButton")->isChecked(), !panel);
    }

    void actionCellsAndPicturesTakeSpaceAndEnter() {
        Program p;
        auto* cell = p.find<ClickableLabel>("fALARM_ACTION_5_1");
        QCOMPARE(cell->focusPolicy(), Qt::StrongFocus);
        QVERIFY(giveFocus(cell));
        QTest::keyClick(cell, Qt::Key_Space);
        QCOMPARE(p.ctx->settings().input(5).alarmAction[0].text, "SMS");
        QTest::keyClick(cell, Qt::Key_Return);
        QCOMPARE(p.ctx->settings().input(5).alarmAction[0].text, "CLIP");
        // With a modifier the key is someone else's.
        QTest::keyClick(cell, Qt::Key_Space, Qt::ControlModifier);
        QCOMPARE(p.ctx->settings().input(5).alarmAction[0].text, "CLIP");
        // A cell that does not apply stays as it is.
        auto* notApplicable = p.find<ClickableLabel>("fRETURN_ACTION_1_1");
        QTest::keyClick(notApplicable, Qt::Key_Space);
        QCOMPARE(p.ctx->settings().input(1).returnAction[0].text, "X");

        auto* icon = p.find<ClickableLabel>("setStatus");
        QTest::keyClick(icon, Qt::Key_Space);
        QVERIFY(p.ctx->settings().input(2).status);
        QVERIFY(p.find<QLabel>("Status_fALARM_TEXT_2")->isVisibleTo(p.window.get()));

        // The logo acts on a double click; from the keyboard on Enter.
        auto* logo = p.find<ClickableLabel>("Image1");
        QTest::keyClick(logo, Qt::Key_Return);
        QCOMPARE(p.ui.urls.size(), std::size_t(1));

        // The keyboard on a private cell lights the phone it notifies, as the mouse does.
        p.find<QTabWidget>("PageControl")->setCurrentIndex(1);
        QVERIFY(giveFocus(p.find<QWidget>("fRETURN_ACTION_3_4")));
        QCOMPARE(p.find<QLineEdit>("fPRIV_PHONE_3")->palette().color(QPalette::Base),
                 QColor(0x00, 0xFF, 0x00));
    }

    void resetCaptionIsALinkTheKeyboardOpens() {
        QTemporaryDir dir;
        ScriptedUi ui;
        AppContext ctx(dir.path().toStdString() + "/", ui);
        ctx.doc.startUp("COM1");
        MonitorWindow monitor(ctx);
        // A stream of its own instead of a port, so the window stays open while it is used.
        monitor.setReplay("AT+QVXS=0;7A;7D\r\n", 100);
        auto* caption = monitor.findChild<ClickableLabel*>("resetsCaption");
        QVERIFY(caption);
        QCOMPARE(iface(caption)->role(), QAccessible::Link);
        QCOMPARE(iface(caption)->text(QAccessible::Name),
                 QStringLiteral("Przyczyna resetu urządzenia:"));
        QVERIFY(iface(caption)->state().focusable);
        monitor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&monitor));
        QVERIFY(giveFocus(caption));
        QVERIFY(caption->font().underline()); // the focus shows as the pointer does
        bool opened = false;
        whenModal("TresetsForm", [&](QDialog* d) {
            opened = true;
            d->done(0);
        });
        QTest::keyClick(caption, Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(opened, kPatienceMs);
        QVERIFY(monitor.isVisible());
        QCOMPARE(ui.texts(), QStringList()); // nothing went wrong on the way
        monitor.done(0);
    }

    void toolBarCommandsHaveKeysNamedInTheirHints() {
        Program p;
        const std::pair<const char*, QKeySequence> keys[] = {
            {"newConfig", QKeySequence::New},
            {"openFileButton", QKeySequence::Open},
            {"saveFileButton", QKeySequence::Save},
            {"ReadButton", QKeySequence(Qt::CTRL | Qt::Key_R)},
            {"writeButton", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P)},
            {"monitorButton", QKeySequence(Qt::CTRL | Qt::Key_M)},
        };
        for (const auto& [name, sequence] : keys) {
            auto* b = p.find<QToolButton>(name);
            QCOMPARE(b->shortcut(), sequence);
            QVERIFY2(
                b->toolTip().endsWith(" (" + sequence.toString(QKeySequence::NativeText) + ")"),
                qPrintable(b->toolTip()));
            QCOMPARE(iface(b)->text(QAccessible::Accelerator),
                     sequence.toString(QKeySequence::NativeText));
        }
        // The language switch replaces captions, not keys.
        p.find<QToolButton>("langButton")->click();
        QCOMPARE(p.find<QToolButton>("saveFileButton")->shortcut(),
                 QKeySequence(QKeySequence::Save));
        QCOMPARE(iface(p.find<QToolButton>("saveFileButton"))->text(QAccessible::Name),
                 QStringLiteral("Save"));
    }

    void tabWalksTheTablesRowByRow() {
        Program p;
        auto* pages = p.find<QTabWidget>("PageControl");
        // The window starts on the page tabs; Tab goes on into the page.
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(),
                                  static_cast<QWidget*>(pages->tabBar()), kPatienceMs);

        const QStringList baza = names(tabChain(p.find<QWidget>("fALARM_ACTION_1_1")));
        const QStringList row5 = {"fINPUT_NC_5",    "fINPUT_NO_5",     "fINPUT_DEAF_TIME_5",
                                  "fINPUT_RESET_5", "fINPUT_STATUS_5", "fALARM_ACTION_5_1",
                                  "fALARM_TEXT_5",  "fALARM_PHONE_5",  "fRETURN_ACTION_5_1",
                                  "fRETURN_TEXT_5", "fRETURN_PHONE_5"};
        const qsizetype at = baza.indexOf("fINPUT_NC_5");
        QVERIFY(at > 0);
        QCOMPARE(baza.mid(at, row5.size()), row5);
        QCOMPARE(baza[at + row5.size()], QStringLiteral("fINPUT_NC_6"));
        QVERIFY(baza.indexOf("fRETURN_PHONE_15") < baza.indexOf("setNC"));
        QVERIFY(baza.indexOf("setNC") < baza.indexOf("clearReturnPhone"));
        QVERIFY(baza.contains("Image1"));
        // Then the status bar, the tool bar and the page tabs, and round again.
        QVERIFY(baza.indexOf("cbVerify") > baza.indexOf("Image1"));
        QVERIFY(baza.indexOf("newConfig") > baza.indexOf("cbVerify"));
        QVERIFY(baza.indexOf("PageControl") < 0);      // the tab bar is reached as itself
        QVERIFY(!baza.contains("fALARM_PRIV_TEXT_1")); // other pages are not in the walk

        pages->setCurrentIndex(1);
        const QStringList prywatne = names(tabChain(p.find<QWidget>("fALARM_ACTION_1_2")));
        const QStringList row3 = {"fALARM_ACTION_3_2",  "fALARM_ACTION_3_3",  "fALARM_ACTION_3_4",
                                  "fALARM_PRIV_TEXT_3", "fRETURN_ACTION_3_2", "fRETURN_ACTION_3_3",
                                  "fRETURN_ACTION_3_4", "fRETURN_PRIV_TEXT_3"};
        const qsizetype at3 = prywatne.indexOf("fALARM_ACTION_3_2");
        QCOMPARE(prywatne.mid(at3, row3.size()), row3);
        QVERIFY(prywatne.indexOf("Image21") < prywatne.indexOf("fPRIV_PHONE_1"));
        QVERIFY(prywatne.indexOf("fPRIV_PHONE_1") < prywatne.indexOf("fPRIV_PHONE_3"));

        // The form tabs: the left column first, then the right; a column's icon after it.
        const auto order = [&](int tab, const char* first, const char* then) {
            pages->setCurrentIndex(tab);
            const QStringList chain = names(tabChain(pages->tabBar()));
            QVERIFY2(chain.indexOf(first) >= 0 && chain.indexOf(first) < chain.indexOf(then),
                     qPrintable(chain.join(' ')));
        };
        order(2, "fPIN", "fSecurityPhone1");
        order(2, "Button4", "fAC_LEVEL");
        order(2, "fAC_LEVEL", "fLEDS_OFF");
        order(3, "fAPN_PASS", "cbTestPeriod");
        order(3, "cbTestPeriod", "EditDtmfPhone");
        order(5, "fDESCRIPTION_15", "Image22");
        order(5, "Image22", "Opis");
        order(5, "Opis", "Image23");

        // Every tab: each shown control is reached, once.
        for (int tab = 0; tab < 7; ++tab) {
            pages->setCurrentIndex(tab);
            const QList<QWidget*> chain = tabChain(pages->tabBar());
            for (QWidget* w : pages->widget(tab)->findChildren<QWidget*>()) {
                if (!w->isVisibleTo(pages->widget(tab)) || !w->isEnabled() ||
                    !(w->focusPolicy() & Qt::TabFocus) || partOfAControl(w))
                    continue;
                QVERIFY2(
                    chain.contains(w),
                    qPrintable(
                        QStringLiteral("%1 not reached on tab %2").arg(w->objectName()).arg(tab)));
            }
        }
    }

    void keyboardAloneEditsReadsAndSaves() {
        // The window reads the module, then edits and saves, with key events only.
        QTemporaryDir state;
        Program p("sim:state=" + state.filePath("module.json"));
        // The window starts with the keyboard on the page tabs.
        QVERIFY(giveFocus(p.window->pageControl()->tabBar()));
        const QString file = p.path("klawiatura.qvx");
        p.ui.fileNames.push_back(file);

        // Read: Ctrl+R opens the link window; Enter closes it once the session is done and the
        // window has the keyboard.
        whenModal("TSerialCommForm", [](QDialog* link) {
            auto* poll = new QTimer(link);
            poll->setInterval(10);
            QObject::connect(poll, &QTimer::timeout, [poll, link] {
                auto* finish = link->findChild<QToolButton*>("ButtonFinish");
                if (!finish->isEnabled()) return;
                const QWidget* focus = QApplication::focusWidget();
                if (!focus || focus->window() != link) {
                    link->activateWindow();
                    return;
                }
                poll->stop();
                press(QKeySequence(Qt::Key_Return));
            });
            poll->start();
        });
        // A button's keys press it the way a click looks: the command runs a moment later.
        press(QKeySequence(Qt::CTRL | Qt::Key_R));
        QTRY_VERIFY_WITH_TIMEOUT(!p.ui.sounds.empty(), kPatienceMs);
        QTRY_VERIFY_WITH_TIMEOUT(!p.window->linkWindow()->isVisible(), kPatienceMs);
        QCOMPARE(p.window->linkWindow()->results().sessionResult, 1);
        // The offscreen platform has no window manager to give the main window the keyboard
        // back when the link window closes: do what one would. The keyboard is back where it
        // was, on the page tabs.
        p.window->activateWindow();
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(),
                                  static_cast<QWidget*>(p.window->pageControl()->tabBar()),
                                  kPatienceMs);

        // Edit the first input's SMS text and phone, and its alarm action.
        QVERIFY(tabTo("fALARM_TEXT_5"));
        type("Drzwi");
        press(QKeySequence(Qt::Key_Tab));
        QCOMPARE(focusName(), QStringLiteral("fALARM_PHONE_5"));
        type("600100200");
        QVERIFY(tabTo("fALARM_ACTION_5_1", true));
        press(QKeySequence(Qt::Key_Space));

        // Save: Ctrl+S, the name from the dialog seam.
        press(QKeySequence(QKeySequence::Save));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(file), kPatienceMs);
        QVERIFY(!p.ctx->doc.isModified());

        ConfigDocument saved(p.ctx->clock, p.dir.path().toStdString() + "/");
        saved.startUp("COM1");
        QVERIFY(saved.openFile(file.toStdString()).opened);
        QCOMPARE(saved.settings().input(5).alarmText, "Drzwi");
        QCOMPARE(saved.settings().input(5).alarmPhone, "600100200");
        QCOMPARE(saved.settings().input(5).alarmAction[0].text, "SMS");
    }
};

QVPROG_GUI_TEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
