// The phone base window: typing rules, search, occupancy, the short-number refusal, files, and
// 4000 numbers written to and read back from the simulated module through the link window.
#include "support/gui_test_support.hpp"

#include "gui/device_windows/phone_base_window.hpp"
#include "gui/link/link_window.hpp"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>

using namespace qv;
using namespace qv::gui;
using namespace qv::gui::test;

namespace {
PhoneBaseWindow* openWindow(Program& p) {
    auto* w = p.find<PhoneBaseWindow>("TFormAdd4kPhones");
    w->show(); // shows the held image, as opening it from the main window does
    return w;
}
std::string number(int row) {
    return std::to_string(500000000 + row * 7);
}
} // namespace

class PhoneBaseWindowTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void numberCellsTakeDigitsAndKeepTheLastSixteen() {
        Program p;
        auto* w = openWindow(p);
        auto* grid = w->findChild<QTableView*>("StringGrid1");
        const QModelIndex cell = grid->model()->index(0, 1);
        grid->setCurrentIndex(cell);
        grid->edit(cell);
        auto* editor = grid->findChild<QLineEdit*>("cellEditor");
        QVERIFY(editor);
        QTest::keyClicks(editor, "60a0-1+2 3");
        QCOMPARE(editor->text(), QStringLiteral("600123"));
        editor->setText("12345678901234567"); // 17 characters
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(w->table().numbers[0], std::string("2345678901234567"),
                                  kPatienceMs);
        QCOMPARE(w->findChild<QLabel*>("LabelFree")->text(), QStringLiteral("1 z 4000"));

        // The description column takes any key and keeps its last 16 characters too.
        grid->model()->setData(grid->model()->index(1, 2), "Kowalski, sklep przy rynku");
        QCOMPARE(w->table().names[1], "sklep przy rynku");
        w->hide();
    }

    void searchCountsAndHighlightsMatchingRows() {
        Program p;
        auto* w = openWindow(p);
        w->table().numbers[10] = "600700800";
        w->table().numbers[20] = "500600700";
        w->table().names[30] = "x600y";
        auto* search = w->findChild<QLineEdit*>("Edit1");
        QTest::keyClicks(search, "600");
        QCOMPARE(w->findChild<QLabel*>("LabelFound")->text(), QStringLiteral("3"));
        auto* grid = w->findChild<QTableView*>("StringGrid1");
        QCOMPARE(grid->currentIndex().row(), 10);
        const auto background = [&](int row, int column) {
            return grid->model()->index(row, column).data(Qt::BackgroundRole).value<QBrush>();
        };
        QCOMPARE(background(20, 2).color(), QColor(Qt::yellow));
        QCOMPARE(background(30, 1).color(), QColor(Qt::yellow));
        QVERIFY(background(11, 1).style() == Qt::NoBrush);
        search->clear();
        QCOMPARE(w->findChild<QLabel*>("LabelFound")->text(), QStringLiteral("0"));
        QVERIFY(background(20, 2).style() == Qt::NoBrush);
        w->hide();
    }

    void shortNumbersRefuseTheWriteBeforeAnySession() {
        Program p;
        auto* w = openWindow(p);
        w->table().numbers[3] = "12345678";
        w->table().numbers[4] = "1";
        w->findChild<QPushButton*>("Button4")->click();
        QCOMPARE(p.ui.lastText(),
                 QStringLiteral(
                     "!!! Znaleziono 2 bledow w numerach telefonow - operacja przerwana !!!"));
        QVERIFY(p.ui.sounds.empty()); // no session ran
        w->hide();
    }

    void typedNumbersSurviveClosingAndOpeningAgain() {
        Program p;
        auto* w = openWindow(p);
        auto* grid = w->findChild<QTableView*>("StringGrid1");
        QVERIFY(grid->model()->setData(grid->model()->index(2, 1), "600100200"));
        QVERIFY(grid->model()->setData(grid->model()->index(2, 2), "sklep"));
        auto* welcome = w->findChild<QLineEdit*>("EditWelcomeText");
        QTest::keyClicks(welcome, "Witamy");
        w->hide();
        openWindow(p);
        QCOMPARE(w->table().numbers[2], "600100200");
        QCOMPARE(w->table().names[2], "sklep");
        QCOMPARE(welcome->text(), QStringLiteral("Witamy"));
        QCOMPARE(w->findChild<QLabel*>("LabelFree")->text(), QStringLiteral("1 z 4000"));
        QVERIFY(p.ui.shown.empty());
        // A cleared grid stays cleared too, although the image still holds the old base.
        w->findChild<QPushButton*>("Button3")->click();
        w->hide();
        openWindow(p);
        QCOMPARE(w->table().numbers[2], "");
        w->hide();
    }

    void anUntouchedGridShowsTheImageTheProgramHolds() {
        Program p;
        PhoneBaseTable base;
        base.numbers[0] = "500600700";
        base.welcome = "Dzień dobry";
        PhoneBaseImage image = PhoneBaseImage::empty();
        QVERIFY(encodePhoneBase(base, image).ok);
        auto& held = p.ctx->doc.phoneBaseBuffer();
        std::copy(image.bytes.begin(), image.bytes.end(), held.begin());
        auto* w = openWindow(p);
        QCOMPARE(w->table().numbers[0], "500600700");
        w->hide();
        // Nothing typed since: a new configuration's empty base is what opens next.
        p.find<QToolButton>("newConfig")->click();
        openWindow(p);
        QCOMPARE(w->table().numbers[0], "");
        QCOMPARE(w->findChild<QLineEdit*>("EditWelcomeText")->text(), QString());
        w->hide();
    }

    void writeThenReadFourThousandNumbersThroughTheModule() {
        QTemporaryDir state;
        Program p("sim:id=X/B/NAME_0504/2392123,state=" + state.filePath("m.json"));
        auto* w = openWindow(p);
        for (int r = 0; r < kPhoneBaseRows; ++r) {
            w->table().numbers[std::size_t(r)] = number(r);
            w->table().names[std::size_t(r)] = "opis " + std::to_string(r);
        }
        w->findChild<QLineEdit*>("EditWelcomeText")->setText("Witamy");
        Q_EMIT w->findChild<QLineEdit*>("EditWelcomeText")->textEdited("Witamy");
        finishLinkSessionWhenDone();
        w->findChild<QPushButton*>("Button4")->click();
        QCOMPARE(p.window->linkWindow()->results().sessionResult, 1);

        w->findChild<QPushButton*>("Button3")->click(); // clear the grid
        QCOMPARE(w->findChild<QLabel*>("LabelFree")->text(), QStringLiteral("0 z 4000"));
        finishLinkSessionWhenDone();
        w->findChild<QPushButton*>("Button5")->click();
        QCOMPARE(p.window->linkWindow()->results().sessionResult, 1);
        QCOMPARE(w->findChild<QLabel*>("LabelFree")->text(), QStringLiteral("4000 z 4000"));
        for (int r : {0, 1, 1999, 3999})
            QCOMPARE(w->table().numbers[std::size_t(r)], number(r));
        QCOMPARE(w->findChild<QLineEdit*>("EditWelcomeText")->text(), QStringLiteral("Witamy"));
        QCOMPARE(w->table().names[5], ""); // descriptions never travel to the module
        w->hide();
    }

    // Closing the program asks, as for a changed configuration, while a typed number is kept
    // neither in the module nor in a file; Cancel keeps the program, a save ends the question.
    void closingAsksAboutEntriesKeptNowhere() {
        Program p;
        auto* w = openWindow(p);
        auto* grid = w->findChild<QTableView*>("StringGrid1");
        QVERIFY(grid->model()->setData(grid->model()->index(0, 1), "600100200"));
        p.ui.answers = {false};
        QVERIFY(!p.window->close());
        QCOMPARE(p.ui.texts(), QStringList{QString::fromUtf8(kAskDiscardPhoneBase.data())});
        QCOMPARE(w->table().numbers[0], "600100200");
        p.ui.fileNames = {p.path("baza")};
        w->findChild<QPushButton*>("Button1")->click();
        w->hide();
        QVERIFY(p.window->close());
        QCOMPARE(p.ui.shown.size(), std::size_t(2)); // the question and "Zapisano"
    }

    void fileSaveAndLoadKeepNumbersAndDescriptions() {
        Program p;
        auto* w = openWindow(p);
        w->table().numbers[7] = "0987654321";
        w->table().names[7] = "Zażółć";
        p.ui.fileNames = {p.path("baza")};
        w->findChild<QPushButton*>("Button1")->click();
        QCOMPARE(p.ui.lastText(), QStringLiteral("Zapisano"));
        QVERIFY(QFile::exists(p.path("baza.PHBINI")));
        w->findChild<QPushButton*>("Button3")->click();
        p.ui.fileNames = {p.path("baza.PHBINI")};
        w->findChild<QPushButton*>("Button2")->click();
        QCOMPARE(p.ui.lastText(), QStringLiteral("Odczytano"));
        QCOMPARE(w->table().numbers[7], "0987654321");
        QCOMPARE(w->table().names[7], "Zażółć");
        QVERIFY(w->findChild<QLabel*>("LabelWait")->isHidden());
        w->hide();
    }
};

QVPROG_GUI_TEST_MAIN(PhoneBaseWindowTest)
#include "phone_base_window_test.moc"
