// "Cofnij" and "Ponów": random edits through the real widgets undone and redone step by step,
// the change check after undoing back to the stored configuration, the keys, the whole-document
// commands as steps, and the hints.
#include "support/gui_test_support.hpp"

#include "config/config_document.hpp"
#include "gui/main_window/undo_history.hpp"
#include "gui/widgets/clickable_label.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSet>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

using namespace qv;
using namespace qv::gui;
using namespace qv::gui::test;

namespace {

// The image as the settings make it, without the programming date (the time of the conversion).
ConfigImage imageOf(Program& p) {
    ConfigImage image = p.ctx->doc.convertedCopy().image;
    image.putTextField("", memmap::oPROG_DATE, memmap::wPROG_DATE);
    return image;
}

template <class W> std::vector<W*> usable(QWidget* page) {
    std::vector<W*> found;
    for (W* w : page->findChildren<W*>())
        if (w->isEnabled() && w->isVisibleTo(page) && !w->objectName().isEmpty())
            found.push_back(w);
    return found;
}

enum class Edit { Type, Choose, Check, Cell };

// One user edit on a random control of a random tab, through its widget. Returns false when the
// tab had no control of the kind.
bool editAtRandom(Program& p, QRandomGenerator& random, Edit kind) {
    auto* pages = p.find<QTabWidget>("PageControl");
    const int tab = random.bounded(7);
    pages->setCurrentIndex(tab);
    QWidget* page = pages->widget(tab);
    // A new visit of whatever field is chosen next.
    pages->tabBar()->setFocus();
    if (!QTest::qWaitFor([&] { return pages->tabBar()->hasFocus(); })) return false;
    const auto pick = [&](const auto& list) { return list[random.bounded(int(list.size()))]; };
    switch (kind) {
    case Edit::Type: {
        const auto edits = usable<QLineEdit>(page);
        if (edits.empty()) return false;
        QLineEdit* e = pick(edits);
        QTest::mouseClick(e, Qt::LeftButton);
        e->setFocus();
        QTest::keyClick(e, Qt::Key_End);
        if (random.bounded(3) == 0) QTest::keyClick(e, Qt::Key_Backspace);
        // Mostly digits: most fields are numbers.
        const QString alphabet = QStringLiteral("0123456789012345 Ab,.");
        QString text;
        for (int n = 1 + random.bounded(5); n > 0; --n)
            text += alphabet[random.bounded(int(alphabet.size()))];
        QTest::keyClicks(e, text);
        return true;
    }
    case Edit::Choose: {
        const auto lists = usable<QComboBox>(page);
        if (lists.empty()) return false;
        QComboBox* c = pick(lists);
        c->setFocus();
        QTest::keyClick(c, random.bounded(2) ? Qt::Key_Down : Qt::Key_Up);
        return true;
    }
    case Edit::Check: {
        const auto boxes = usable<QCheckBox>(page);
        if (boxes.empty()) return false;
        QTest::mouseClick(pick(boxes), Qt::LeftButton);
        return true;
    }
    case Edit::Cell: {
        // The action cells and the column pictures (the bulk editing actions).
        auto labels = usable<ClickableLabel>(page);
        std::erase_if(labels, [](ClickableLabel* l) { return l->accessibleName().isEmpty(); });
        if (labels.empty()) return false;
        QTest::mouseClick(pick(labels), Qt::LeftButton);
        return true;
    }
    }
    return false;
}

} // namespace

class UndoTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void randomEditsUndoneAndRedoneStepByStep_data() {
        // The mix: T typing, L a list's choice, B a check box, C a cell or a column picture.
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<QString>("mix");
        QTest::addColumn<int>("edits");
        QTest::newRow("typing mostly") << 12u << "TTTTLBC" << 45;
        QTest::newRow("choices and boxes") << 23u << "LLBBT" << 30;
        QTest::newRow("cells and bulk actions") << 37u << "CCCT" << 30;
        QTest::newRow("long mixed") << 101u << "TLBC" << 80;
    }

    void randomEditsUndoneAndRedoneStepByStep() {
        QFETCH(quint32, seed);
        QFETCH(QString, mix);
        QFETCH(int, edits);
        Program p;
        // Focus moves only in the active window.
        QTRY_VERIFY(p.window->isActiveWindow());
        QRandomGenerator random(seed);
        auto* undo = p.find<QToolButton>("undoButton");
        auto* redo = p.find<QToolButton>("redoButton");
        QVERIFY(!undo->isEnabled() && !redo->isEnabled());

        // The settings and the image after every edit that changed something: one step each.
        std::vector<Settings> settings{p.ctx->settings()};
        std::vector<ConfigImage> images{imageOf(p)};
        const QString letters = QStringLiteral("TLBC");
        QSet<QChar> changedBy;
        for (int n = 0; n < edits; ++n) {
            const QChar kind = mix[random.bounded(int(mix.size()))];
            if (!editAtRandom(p, random, Edit(letters.indexOf(kind)))) continue;
            if (p.ctx->settings() == settings.back()) continue;
            changedBy.insert(kind);
            settings.push_back(p.ctx->settings());
            images.push_back(imageOf(p));
        }
        // Every kind of edit in the mix made steps.
        QCOMPARE(changedBy, QSet<QChar>(mix.begin(), mix.end()));
        QCOMPARE(p.window->undoHistory()->stack().count(), int(settings.size() - 1));
        QVERIFY(p.ctx->doc.isModified());

        for (std::size_t k = settings.size() - 1; k > 0; --k) {
            QVERIFY(undo->isEnabled());
            undo->click();
            QVERIFY2(p.ctx->settings() == settings[k - 1], qPrintable(QString::number(k)));
            QVERIFY(imageOf(p) == images[k - 1]);
        }
        QVERIFY(!undo->isEnabled());
        QVERIFY(!p.ctx->doc.isModified());
        for (std::size_t k = 1; k < settings.size(); ++k) {
            QVERIFY(redo->isEnabled());
            redo->click();
            QVERIFY(p.ctx->settings() == settings[k]);
            QVERIFY(imageOf(p) == images[k]);
        }
        QVERIFY(!redo->isEnabled());
        // The widgets show what was redone.
        auto* object = p.find<QLineEdit>("OBJECT");
        if (object) QCOMPARE(object->text(), QString::fromStdString(p.ctx->settings().object));
    }

    void typingInOneFieldIsOneStepPerVisit() {
        Program p;
        auto* pages = p.find<QTabWidget>("PageControl");
        const auto edits = usable<QLineEdit>(pages->widget(0));
        QVERIFY(edits.size() >= 2);
        QLineEdit* first = edits[0];
        QLineEdit* second = edits[1];
        const QString before = first->text();
        first->setFocus();
        first->end(false);
        QTest::keyClicks(first, "12");
        QTest::keyClicks(first, "34");
        QCOMPARE(p.window->undoHistory()->stack().count(), 1);
        QVERIFY2(p.find<QToolButton>("undoButton")
                     ->toolTip()
                     .startsWith("Cofnij: " + controlName(first)),
                 qPrintable(p.find<QToolButton>("undoButton")->toolTip()));
        second->setFocus();
        QTest::keyClicks(second, "5");
        first->setFocus();
        QTest::keyClicks(first, "6");
        QCOMPARE(p.window->undoHistory()->stack().count(), 3);
        // Typed and taken back in one visit leaves no step.
        second->setFocus();
        QTest::keyClicks(second, "7");
        QTest::keyClick(second, Qt::Key_Backspace);
        QCOMPARE(p.window->undoHistory()->stack().count(), 3);
        p.window->undoHistory()->undo();
        p.window->undoHistory()->undo();
        QCOMPARE(first->text(), before + "1234");
        p.window->undoHistory()->undo();
        QCOMPARE(first->text(), before);
    }

    void keysUndoAndRedo_data() {
        QTest::addColumn<bool>("inTextField");
        QTest::addColumn<QKeyCombination>("redoKeys");
        QTest::newRow("field, Ctrl+Y") << true << QKeyCombination(Qt::CTRL | Qt::Key_Y);
        QTest::newRow("field, Ctrl+Shift+Z")
            << true << QKeyCombination(Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
        QTest::newRow("tab bar, Ctrl+Y") << false << QKeyCombination(Qt::CTRL | Qt::Key_Y);
        QTest::newRow("tab bar, Ctrl+Shift+Z")
            << false << QKeyCombination(Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
    }

    void keysUndoAndRedo() {
        QFETCH(bool, inTextField);
        QFETCH(QKeyCombination, redoKeys);
        Program p;
        QVERIFY(QTest::qWaitForWindowExposed(p.window.get()));
        p.window->activateWindow();
        auto* pages = p.find<QTabWidget>("PageControl");
        QLineEdit* field = usable<QLineEdit>(pages->widget(0)).front();
        const Settings start = p.ctx->settings();
        const QString startText = field->text();
        field->setFocus();
        QTest::keyClicks(field, "42");
        const Settings typed = p.ctx->settings();
        const QString typedText = field->text();
        QVERIFY(typed != start);
        QWidget* keysTo = field;
        if (!inTextField) {
            pages->tabBar()->setFocus();
            keysTo = pages->tabBar();
        }
        QTest::keyClick(keysTo, Qt::Key_Z, Qt::ControlModifier);
        QTRY_VERIFY(p.ctx->settings() == start);
        QCOMPARE(field->text(), startText);
        QCOMPARE(p.ctx->doc.isModified(), false);
        QTest::keyClick(keysTo, redoKeys.key(), redoKeys.keyboardModifiers());
        QTRY_VERIFY(p.ctx->settings() == typed);
        QCOMPARE(field->text(), typedText);
    }

    void documentCommandsAreSteps() {
        Program p;
        auto* history = p.window->undoHistory();
        // A configuration saved, then another opened: undo goes back to the one before.
        p.ctx->settings().object = "4321";
        Q_EMIT p.ctx->settingsEdited();
        const Settings mine = p.ctx->settings();
        p.ui.fileNames.push_back(p.path("mine.qvx"));
        p.find<QToolButton>("saveFileButton")->click();
        QVERIFY(!p.ctx->doc.isModified());
        p.ctx->settings().object = "8888";
        Q_EMIT p.ctx->settingsEdited();
        p.ui.fileNames.push_back(p.path("other.qvx"));
        p.find<QToolButton>("saveFileButton")->click();
        p.ui.fileNames.push_back(p.path("mine.qvx"));
        p.find<QToolButton>("openFileButton")->click();
        QCOMPARE(p.ctx->settings().object, "4321");
        QVERIFY(p.find<QToolButton>("undoButton")->toolTip().startsWith("Cofnij: Otwórz mine.qvx"));
        QVERIFY(!p.ctx->doc.isModified());
        history->undo();
        // The configuration before, as it was saved: its file, and unchanged.
        QCOMPARE(p.ctx->settings().object, "8888");
        QVERIFY(p.window->windowTitle().contains("other.qvx"));
        QVERIFY(!p.ctx->doc.isModified());
        history->redo();
        QVERIFY(p.window->windowTitle().contains("mine.qvx"));
        QVERIFY(p.ctx->settings() == mine);
        QVERIFY(!p.ctx->doc.isModified());

        // "Nowy" is a step; undone, the file's configuration is back and unchanged.
        p.find<QToolButton>("newConfig")->click();
        QCOMPARE(p.ctx->settings().object, "0001");
        QVERIFY(p.find<QToolButton>("undoButton")->toolTip().startsWith("Cofnij: Nowy"));
        history->undo();
        QCOMPARE(p.ctx->settings().object, "4321");
        QVERIFY(!p.ctx->doc.isModified());

        // The additional phones window is one step, whatever was typed in it.
        whenModal("TFormAddPhones", [](QDialog* d) {
            for (const char* name : {"AddPhone1", "AddPhone2"}) {
                auto* e = d->findChild<QLineEdit*>(name);
                e->setFocus();
                QTest::keyClicks(e, "600100200");
            }
            d->findChild<QPushButton*>("Button2")->click();
        });
        const int steps = history->stack().index();
        p.find<QPushButton>("Button4")->click();
        QCOMPARE(p.ctx->settings().addPhones[1], "600100200");
        QCOMPARE(history->stack().index(), steps + 1);
        history->undo();
        QCOMPARE(p.ctx->settings().addPhones[1], "");

        // Undone back to the stored configuration: closing would ask nothing.
        QVERIFY(!p.ctx->doc.isModified());
    }

    void aReadIsAStep() {
        // The simulated module keeps its memory in a state file between the two sessions.
        QTemporaryDir state;
        Program p("sim:state=" + state.filePath("module.json"));
        p.ctx->settings().object = "7777";
        QString log;
        finishLinkSessionWhenDone(&log);
        whenModal("TShowForm", [](QDialog* d) { d->done(0); });
        p.find<QToolButton>("writeButton")->click();
        p.find<QToolButton>("newConfig")->click();
        const Settings defaults = p.ctx->settings();
        finishLinkSessionWhenDone(&log);
        p.find<QToolButton>("ReadButton")->click();
        QCOMPARE(p.ctx->settings().object, "7777");
        QVERIFY(p.find<QToolButton>("undoButton")->toolTip().startsWith("Cofnij: Odczyt"));
        p.window->undoHistory()->undo();
        QVERIFY(p.ctx->settings() == defaults);
        p.window->undoHistory()->redo();
        QCOMPARE(p.ctx->settings().object, "7777");
        QVERIFY(!p.ctx->doc.isModified());
    }

    // Not a check: with QVPROG_SCREENSHOT_DIR set, saves the main window after an edit, with
    // "Cofnij" ready in the status bar.
    void screenshotAfterAnEdit() {
        const QString out = qEnvironmentVariable("QVPROG_SCREENSHOT_DIR");
        if (out.isEmpty()) QSKIP("QVPROG_SCREENSHOT_DIR not set");
        Program p;
        QVERIFY(QTest::qWaitForWindowExposed(p.window.get()));
        auto* pages = p.find<QTabWidget>("PageControl");
        QLineEdit* field = usable<QLineEdit>(pages->widget(0)).front();
        QTRY_VERIFY(!p.find<QLabel>("StatusPanel2")->text().isEmpty());
        field->setFocus();
        field->end(false);
        QTest::keyClicks(field, " alarm");
        QTRY_VERIFY(p.find<QToolButton>("undoButton")->isEnabled());
        p.window->grab().save(out + QStringLiteral("/undo.png"));
    }
};

QVPROG_GUI_TEST_MAIN(UndoTest)

#include "undo_test.moc"
