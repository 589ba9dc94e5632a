// "Cofnij" and "Ponów": random edits through the real widgets undone and redone step by step,
// the keys, the whole-document commands as steps, and the change check after undoing.
#include "support/gui_test_support.hpp"

#include "gui/main_window/undo_history.hpp"
#include "gui/widgets/clickable_label.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QSet>
#include <QTabWidget>
#include <QTest>

using namespace qv;
using namespace qv::gui;
using namespace qv::gui::test;

namespace {

// The image the settings make, without the programming date (the time of the conversion).
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

// One edit of a kind (T typing, L a list's choice, B a check box, C a cell or a column
// picture) on a random control of a random tab, through its widget.
void editAtRandom(Program& p, QRandomGenerator& random, QChar kind) {
    auto* pages = p.find<QTabWidget>("PageControl");
    pages->setCurrentIndex(random.bounded(7));
    QWidget* page = pages->currentWidget();
    pages->tabBar()->setFocus(); // whatever comes next is a new visit
    QTRY_VERIFY(pages->tabBar()->hasFocus());
    const auto pick = [&](const auto& list) {
        return list.empty() ? nullptr : list[random.bounded(int(list.size()))];
    };
    if (kind == 'T') {
        if (QLineEdit* e = pick(usable<QLineEdit>(page))) {
            QTest::mouseClick(e, Qt::LeftButton);
            QTest::keyClick(e, Qt::Key_Backspace);
            QTest::keyClicks(e, QString::number(random.bounded(100000)));
        }
    } else if (kind == 'L') {
        if (QComboBox* c = pick(usable<QComboBox>(page))) {
            c->setFocus();
            QTest::keyClick(c, random.bounded(2) ? Qt::Key_Down : Qt::Key_Up);
        }
    } else if (QWidget* w = kind == 'B'
                                ? pick(usable<QCheckBox>(page))
                                : static_cast<QWidget*>(pick(usable<ClickableLabel>(page)))) {
        QTest::mouseClick(w, Qt::LeftButton);
    }
}

} // namespace

class UndoTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void randomEditsUndoneAndRedoneStepByStep_data() {
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<QString>("mix");
        QTest::addColumn<int>("edits");
        QTest::newRow("typing mostly") << 12u << "TTTLLBC" << 45;
        QTest::newRow("choices and boxes") << 23u << "LLBBT" << 30;
        QTest::newRow("cells and bulk actions") << 37u << "CCCT" << 30;
        QTest::newRow("long mixed") << 101u << "TLBC" << 80;
    }

    void randomEditsUndoneAndRedoneStepByStep() {
        QFETCH(quint32, seed);
        QFETCH(QString, mix);
        QFETCH(int, edits);
        Program p;
        QTRY_VERIFY(p.window->isActiveWindow()); // focus moves only in the active window
        QRandomGenerator random(seed);
        auto* undo = p.find<QToolButton>("undoButton");
        auto* redo = p.find<QToolButton>("redoButton");
        // The settings and the image after every edit that changed something: a step each
        // (a field's typing, however many keys, is one).
        std::vector<Settings> settings{p.ctx->settings()};
        std::vector<ConfigImage> images{imageOf(p)};
        QSet<QChar> changedBy;
        for (int n = 0; n < edits; ++n) {
            const QChar kind = mix[random.bounded(int(mix.size()))];
            editAtRandom(p, random, kind);
            if (QTest::currentTestFailed()) return;
            if (p.ctx->settings() == settings.back()) continue;
            changedBy.insert(kind);
            settings.push_back(p.ctx->settings());
            images.push_back(imageOf(p));
        }
        QCOMPARE(changedBy, QSet<QChar>(mix.begin(), mix.end()));
        QCOMPARE(p.window->undoHistory()->stack().count(), int(settings.size() - 1));
        for (std::size_t k = settings.size() - 1; k > 0; --k) {
            undo->click();
            QVERIFY2(p.ctx->settings() == settings[k - 1], qPrintable(QString::number(k)));
            QVERIFY(imageOf(p) == images[k - 1]);
        }
        QVERIFY(!undo->isEnabled() && !p.ctx->doc.isModified());
        for (std::size_t k = 1; k < settings.size(); ++k) {
            redo->click();
            QVERIFY(p.ctx->settings() == settings[k] && imageOf(p) == images[k]);
        }
        QVERIFY(!redo->isEnabled());
    }

    void keysUndoAFieldVisitAndRedoIt_data() {
        QTest::addColumn<bool>("inField");
        QTest::addColumn<QKeyCombination>("redoKeys");
        QTest::newRow("in the field, Ctrl+Y") << true << (Qt::CTRL | Qt::Key_Y);
        QTest::newRow("on the tab bar, Ctrl+Shift+Z")
            << false << (Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
    }

    void keysUndoAFieldVisitAndRedoIt() {
        QFETCH(bool, inField);
        QFETCH(QKeyCombination, redoKeys);
        Program p;
        QTRY_VERIFY(p.window->isActiveWindow());
        auto* pages = p.find<QTabWidget>("PageControl");
        QLineEdit* field = usable<QLineEdit>(pages->widget(0)).front();
        const QString before = field->text();
        field->setFocus();
        QTest::keyClicks(field, "42");
        QTest::keyClicks(field, "17");
        const QString typed = field->text();
        QVERIFY(p.find<QToolButton>("undoButton")
                    ->toolTip()
                    .startsWith("Cofnij: " + controlName(field)));
        QWidget* keysTo = inField ? static_cast<QWidget*>(field) : pages->tabBar();
        keysTo->setFocus();
        QTest::keyClick(keysTo, Qt::Key_Z, Qt::ControlModifier);
        QTRY_COMPARE(field->text(), before);
        QVERIFY(!p.ctx->doc.isModified());
        QTest::keyClick(keysTo, redoKeys.key(), redoKeys.keyboardModifiers());
        QTRY_COMPARE(field->text(), typed);
    }

    void documentCommandsAreStepsWithTheirFile() {
        Program p;
        auto* history = p.window->undoHistory();
        const auto saveAs = [&](const char* object, const char* file) {
            p.ctx->settings().object = object;
            Q_EMIT p.ctx->settingsEdited();
            p.ui.fileNames.push_back(p.path(file));
            p.find<QToolButton>("saveFileButton")->click();
        };
        saveAs("4321", "mine.qvx");
        saveAs("8888", "other.qvx");
        p.ui.fileNames.push_back(p.path("mine.qvx"));
        p.find<QToolButton>("openFileButton")->click();
        QCOMPARE(p.ctx->settings().object, "4321");
        QVERIFY(p.find<QToolButton>("undoButton")->toolTip().startsWith("Cofnij: Otwórz mine.qvx"));
        history->undo(); // the configuration before, as saved: its file, unchanged
        QCOMPARE(p.ctx->settings().object, "8888");
        QVERIFY(p.window->windowTitle().contains("other.qvx") && !p.ctx->doc.isModified());
        history->redo();
        p.find<QToolButton>("newConfig")->click();
        QCOMPARE(p.ctx->settings().object, "0001");
        history->undo();
        QVERIFY(p.window->windowTitle().contains("mine.qvx") && !p.ctx->doc.isModified());
    }
};

QVPROG_GUI_TEST_MAIN(UndoTest)
#include "undo_test.moc"
