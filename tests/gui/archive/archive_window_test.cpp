// The archive in the window: entries kept by reads and writes, the archive window (search,
// open, compare, export, note, delete), the review before a write, and the refusal when
// another module answers than the one the review showed.
#include "support/gui_test_support.hpp"

#include "archive/archive_text.hpp"
#include "archive/config_archive.hpp"
#include "config/config_file.hpp"
#include "config/messages.hpp"
#include "gui/archive/archive_access.hpp"
#include "gui/archive/archive_models.hpp"
#include "gui/archive/archive_window.hpp"
#include "gui/archive/write_review.hpp"
#include "gui/device_windows/compare_window.hpp"
#include "gui/link/link_window.hpp"
#include "link/identification.hpp"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTableView>
#include <QTest>
#include <QToolButton>

using namespace qv;
using namespace qv::gui;
using namespace qv::gui::test;

namespace {

std::unique_ptr<ConfigArchive> archiveOf() {
    auto opened = ConfigArchive::open(archivePath(), ConfigArchive::Access::create);
    return std::move(opened.archive);
}

// A configuration of a site, with its password and SIM PIN set.
ConfigImage siteImage(const Program& p, const std::string& object, const std::string& name,
                      const std::string& phone) {
    ConfigDocument doc(p.ctx->clock, p.ctx->doc.exeDir());
    doc.startUp("sim");
    doc.settings().object = object;
    doc.settings().objectName = name;
    doc.settings().input(1).alarmPhone = phone;
    doc.settings().password = "5511";
    doc.settings().pin = "7788";
    doc.form2tab();
    return doc.image();
}

std::int64_t keep(const Program& p, const std::string& serial, const std::string& object,
                  const std::string& name, const std::string& phone, const std::string& port = "",
                  std::string_view state = kStateRead) {
    NewArchiveEntry e;
    e.state = std::string(state);
    e.image = siteImage(p, object, name, phone);
    e.identity.serialNumber = serial;
    e.identity.modelName = "NAME";
    e.identity.text = "X/B/NAME_0503/" + serial;
    e.time = {2026, 12, 1, 10, 0, 0, 0};
    e.userName = "jan";
    e.portName = port;
    const auto id = archiveOf()->add(e);
    return id.value;
}

QStringList column(const QAbstractItemModel* m, int c) {
    QStringList out;
    for (int r = 0; r < m->rowCount(); ++r)
        out << m->index(r, c).data().toString();
    return out;
}

QString everyCell(const QAbstractItemModel* m) {
    QString all;
    for (int r = 0; r < m->rowCount(); ++r)
        for (int c = 0; c < m->columnCount(); ++c)
            all += m->index(r, c).data().toString() + u'|';
    return all;
}

ArchiveWindow* openArchiveWindow(Program& p) {
    p.find<QPushButton>("archiveButton")->click();
    ArchiveWindow* w = p.window->archiveWindow();
    return w && w->isVisible() ? w : nullptr;
}

void selectEntries(ArchiveWindow* w, const std::vector<int>& rows) {
    auto* view = w->findChild<QTableView*>("archiveEntries");
    view->clearSelection();
    for (int r : rows)
        view->selectionModel()->select(w->entryModel()->index(r, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void click(QWidget* w, const char* name) {
    auto* b = w->findChild<QPushButton*>(QString::fromLatin1(name));
    QVERIFY2(b && b->isEnabled(), name);
    b->click();
}

QString readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll().toHex()) : QString();
}

} // namespace

class ArchiveWindowTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void readsAndWritesAreKeptAndAFailingArchiveIsOneLogLine() {
        struct Case {
            const char* name;
            bool damaged;
        };
        for (const Case c : {Case{"kept", false}, Case{"damaged archive", true}}) {
            QTemporaryDir state;
            const QString port = "sim:state=" + state.filePath("module.json");
            Program p(port);
            if (c.damaged) {
                QFile f(p.path("archive.sqlite"));
                QVERIFY(f.open(QIODevice::WriteOnly));
                f.write(QByteArray(4096, 'x'));
            }
            const QString file = p.path("obiekt.qvx");
            p.ctx->settings().object = "4321";
            p.ui.fileNames = {file};
            p.find<QToolButton>("saveFileButton")->click();
            QString log;
            finishLinkSessionWhenDone(&log);
            whenModal("TShowForm", [](QDialog* d) { d->done(0); });
            p.find<QToolButton>("writeButton")->click();
            QCOMPARE(p.window->linkWindow()->results().sessionResult, 1);
            finishLinkSessionWhenDone(&log);
            p.find<QToolButton>("ReadButton")->click();
            QCOMPARE(p.window->linkWindow()->results().sessionResult, 1);
            QCOMPARE(p.ctx->settings().object, "4321");
            if (c.damaged) {
                QCOMPARE(log.count("Archiwum: nie zapisano konfiguracji"), 1);
                QVERIFY2(log.contains("plik archiwum jest uszkodzony"), qPrintable(log));
                continue;
            }
            QVERIFY2(!log.contains("Archiwum"), qPrintable(log));
            const auto all = archiveOf()->allEntries().value;
            QCOMPARE(all.size(), std::size_t(2));
            QCOMPARE(all[0].state, std::string(kStateRead));
            QCOMPARE(all[1].state, std::string(kStateWritten));
            QCOMPARE(QString::fromStdString(all[1].fileName), QDir::toNativeSeparators(file));
            QCOMPARE(all[0].serialNumber, "2392123");
            const auto latest = archiveOf()->latestEntryOnPort(port.toStdString()).value;
            QVERIFY(latest);
            QCOMPARE(latest->summary.id, all[0].id);
        }
    }

    void theArchiveWindowFindsModulesAndNeverShowsSecrets() {
        Program p;
        keep(p, "2392001", "0001", "Sklep Łódź", "600100200");
        keep(p, "2392002", "0427", "Magazyn", "700200300");
        keep(p, "2392003", "0999", "Biuro", "800300400");
        keep(p, "2392002", "0428", "Magazyn nowy", "700200300");
        QCOMPARE(p.find<QShortcut>("archiveShortcut")->key(),
                 QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A));
        QVERIFY(p.find<QPushButton>("archiveButton")->toolTip().contains("Ctrl+Shift+A"));
        ArchiveWindow* w = openArchiveWindow(p);
        QVERIFY(w);
        auto* search = w->findChild<QLineEdit*>("archiveSearch");
        const struct {
            const char* text;
            QStringList serials;
        } cases[] = {
            {"", {"2392002", "2392003", "2392001"}},
            {"2392003", {"2392003"}},
            {"LODZ", {"2392001"}},
            {"0427", {"2392002"}},
            {"700-200", {"2392002"}},
            {"nie ma takiego", {}},
        };
        for (const auto& c : cases) {
            search->setText(QString::fromUtf8(c.text));
            QCOMPARE(column(w->moduleModel(), ArchiveModuleModel::Serial), c.serials);
        }
        QCOMPARE(w->findChild<QLabel*>("archiveStatus")->text(),
                 QStringLiteral("Żaden moduł nie pasuje do szukanego tekstu."));
        search->setText("2392002");
        QCOMPARE(column(w->moduleModel(), ArchiveModuleModel::Entries), QStringList{"2"});
        QCOMPARE(w->entryModel()->rowCount(), 2);
        QCOMPARE(column(w->entryModel(), ArchiveEntryModel::Operation),
                 (QStringList{"odczyt", "odczyt"}));
        for (const QAbstractItemModel* m :
             std::initializer_list<const QAbstractItemModel*>{w->moduleModel(), w->entryModel()}) {
            const QString all = everyCell(m);
            QVERIFY2(!all.contains("5511") && !all.contains("7788"), qPrintable(all));
        }
    }

    void anEntryOpensComparesAndExports() {
        Program p;
        const auto older = keep(p, "2392002", "0427", "Magazyn", "700200300");
        const auto newer = keep(p, "2392002", "0428", "Magazyn nowy", "700200300");
        ArchiveWindow* w = openArchiveWindow(p);
        QVERIFY(w);
        QCOMPARE(w->entryModel()->entry(0)->id, newer);

        // Opened: the window's configuration, unsaved, unchanged against the entry.
        p.ctx->settings().object = "1111"; // a change: "Otwórz" asks first
        p.ui.answers = {false};
        selectEntries(w, {1});
        click(w, "archiveOpenButton");
        QCOMPARE(p.ctx->settings().object, "1111");
        p.ui.answers = {true};
        click(w, "archiveOpenButton");
        QCOMPARE(p.ctx->settings().object, "0427");
        QCOMPARE(p.ctx->settings().password, "5511");
        QVERIFY(!p.ctx->doc.isModified());
        QVERIFY2(p.window->windowTitle().contains("Archiwum: moduł 2392002, wpis " +
                                                  QString::number(older)),
                 qPrintable(p.window->windowTitle()));

        // Against the window: the same, then one edit.
        click(w, "archiveCompareWindowButton");
        CompareWindow* compare = w->compareWindow();
        QVERIFY(compare && compare->isVisible());
        QCOMPARE(compare->findChild<QLabel*>("compareSummaryLabel")->text(),
                 QStringLiteral("Konfiguracje są identyczne"));
        p.ctx->settings().object = "0500";
        click(w, "archiveCompareWindowButton");
        QCOMPARE(compare->model()->rowCount(), 1);
        QCOMPARE(compare->model()->index(0, CompareModel::Other).data().toString(), "0427");

        // Two entries: newest against the older; a PIN is shown only as set or not.
        selectEntries(w, {0, 1});
        QVERIFY(!w->findChild<QPushButton*>("archiveOpenButton")->isEnabled());
        click(w, "archiveCompareEntriesButton");
        const QString rows = everyCell(compare->model());
        QVERIFY2(rows.contains("0428|0427"), qPrintable(rows));
        QVERIFY(!rows.contains("5511") && !rows.contains("7788"));

        // Exported as .bCFG byte for byte and as .qvx settings; a cancelled dialog does nothing.
        selectEntries(w, {0});
        const ConfigImage image = archiveOf()->entry(newer).value->image;
        const QString binary = p.path("wpis.bCFG");
        const QString text = p.path("wpis.qvx");
        p.ui.fileNames = {binary};
        click(w, "archiveExportButton");
        QCOMPARE(readAll(binary),
                 QString::fromLatin1(QByteArray::fromStdString(encodeBinaryFile(image)).toHex()));
        p.ui.fileNames = {text};
        click(w, "archiveExportButton");
        QCOMPARE(p.ui.lastText(), QString::fromUtf8(msg::kSaved));
        ConfigDocument check(p.ctx->clock, p.ctx->doc.exeDir());
        QVERIFY(check.openFile(text.toStdString()).opened);
        QCOMPARE(check.settings().object, "0428");
        const auto shown = p.ui.shown.size();
        click(w, "archiveExportButton");
        QCOMPARE(p.ui.shown.size(), shown);
    }

    void aNoteIsKeptAndDeletionAsksFirst() {
        Program p;
        keep(p, "2392001", "0001", "Sklep", "600100200");
        const auto second = keep(p, "2392001", "0002", "Sklep", "600100200");
        ArchiveWindow* w = openArchiveWindow(p);
        QVERIFY(w);
        auto* note = w->findChild<QLineEdit*>("archiveNote");
        QVERIFY(note->isEnabled());
        note->setText(QStringLiteral("po wymianie akumulatora\tok"));
        click(w, "archiveSaveNoteButton");
        QCOMPARE(archiveOf()->entry(second).value->summary.note, "po wymianie akumulatora\tok");
        QCOMPARE(w->entryModel()->index(0, ArchiveEntryModel::Note).data().toString(),
                 QStringLiteral("po wymianie akumulatora ok"));

        const struct {
            bool answer;
            std::size_t left;
        } cases[] = {{false, 2}, {true, 1}};
        for (const auto& c : cases) {
            selectEntries(w, {0});
            p.ui.answers = {c.answer};
            click(w, "archiveDeleteButton");
            QVERIFY(p.ui.shown.back().text.contains("Tego nie można cofnąć"));
            QCOMPARE(archiveOf()->allEntries().value.size(), c.left);
            QCOMPARE(std::size_t(w->entryModel()->rowCount()), c.left);
        }
        QVERIFY(!archiveOf()->entry(second).value);
    }

    void theReviewShowsWhatAWriteChanges() {
        QTemporaryDir state;
        Program p("sim:state=" + state.filePath("module.json"));
        // Writes; review acts on the review when it shows. A cancelled review starts no
        // session, so no watcher is left for one.
        const auto write = [&](std::function<void(WriteReviewDialog*)> review,
                               bool session = true) {
            int reviews = 0;
            QPointer<QTimer> watch = whenModal("TWriteReviewForm", [&](QDialog* d) {
                ++reviews;
                review(static_cast<WriteReviewDialog*>(d));
            });
            if (session) {
                finishLinkSessionWhenDone();
                whenModal("TShowForm", [](QDialog* d) { d->done(0); });
            }
            p.find<QToolButton>("writeButton")->click();
            delete watch;
            return reviews;
        };
        // No entry for the port yet: the write goes on as it always did.
        p.ctx->settings().object = "0100";
        QCOMPARE(write([](WriteReviewDialog*) {}), 0);
        QCOMPARE(archiveOf()->allEntries().value.size(), std::size_t(1));

        // Differences, then nothing different: both let the user write.
        const struct {
            const char* object;
            int rows;
            const char* summary;
        } cases[] = {
            {"0200", 1, "Zmian w module: 1"},
            {"0200", 0, "nie różni się"},
        };
        for (const auto& c : cases) {
            p.ctx->settings().object = c.object;
            QCOMPARE(write([&](WriteReviewDialog* d) {
                         QCOMPARE(d->model()->rowCount(), c.rows);
                         if (c.rows > 0) {
                             QCOMPARE(d->model()->index(0, CompareModel::Mine).data().toString(),
                                      QString::fromUtf8(c.object));
                         }
                         QVERIFY(d->findChild<QLabel*>("reviewSummary")
                                     ->text()
                                     .contains(QString::fromUtf8(c.summary)));
                         QVERIFY(
                             d->findChild<QLabel*>("reviewHeading")->text().contains("2392123"));
                         d->findChild<QPushButton*>("reviewWriteButton")->click();
                     }),
                     1);
            QCOMPARE(p.window->linkWindow()->results().sessionResult, 1);
        }
        const auto kept = archiveOf()->allEntries().value.size();
        QCOMPARE(kept, std::size_t(3));

        // "Anuluj": no session, nothing kept, the module keeps "0200".
        p.ctx->settings().object = "0300";
        const auto sounds = p.ui.sounds.size();
        QCOMPARE(write(
                     [](WriteReviewDialog* d) {
                         d->findChild<QPushButton*>("reviewCancelButton")->click();
                     },
                     false),
                 1);
        QCOMPARE(p.ui.sounds.size(), sounds);
        QCOMPARE(archiveOf()->allEntries().value.size(), kept);
        finishLinkSessionWhenDone();
        p.find<QToolButton>("ReadButton")->click();
        QCOMPARE(p.ctx->settings().object, "0200");
    }

    void anotherModuleOnThePortGetsNothing() {
        QTemporaryDir state;
        const QString portA = "sim:state=" + state.filePath("a.json") + ",id=X/B/NAME_0503/2392111";
        const QString portB = "sim:state=" + state.filePath("b.json") + ",id=X/B/NAME_0503/2392222";
        Program p(portA);
        p.ctx->settings().object = "0111";
        QString first;
        finishLinkSessionWhenDone(&first);
        whenModal("TShowForm", [](QDialog* d) { d->done(0); });
        p.find<QToolButton>("writeButton")->click();
        QVERIFY2(p.window->linkWindow()->results().sessionResult == 1, qPrintable(first));
        // Module 2392111 was last seen on the second port; now 2392222 is plugged in there.
        const auto a = archiveOf()->latestEntryOnPort(portA.toStdString()).value;
        QVERIFY(a);
        NewArchiveEntry moved;
        moved.state = std::string(kStateRead);
        moved.image = a->image;
        moved.identity = a->identity;
        moved.portName = portB.toStdString();
        QVERIFY(archiveOf()->add(moved).ok());

        p.ctx->doc.setPortName(portB.toStdString());
        p.ctx->settings().object = "0222";
        whenModal("TWriteReviewForm",
                  [](QDialog* d) { d->findChild<QPushButton*>("reviewWriteButton")->click(); });
        QString log;
        finishLinkSessionWhenDone(&log);
        p.find<QToolButton>("writeButton")->click();
        QCOMPARE(p.window->linkWindow()->results().sessionResult, -1);
        const QString refusal =
            QString::fromStdString(otherModuleMessage("2392222", "2392111", LinkMode::writeConfig));
        QVERIFY2(log.contains(refusal), qPrintable(log));
        QVERIFY(!log.contains("Hasło poprawne"));
        QTRY_COMPARE_WITH_TIMEOUT(p.ui.lastText(), refusal, 10000);
        QCOMPARE(archiveOf()->allEntries().value.size(), std::size_t(2));
        QVERIFY(!QFile::exists(state.filePath("b.json")) ||
                !readAll(state.filePath("b.json")).isEmpty());

        // Module 2392222 holds no configuration of 2392111's site: a read finds none.
        finishLinkSessionWhenDone(&log);
        p.find<QToolButton>("ReadButton")->click();
        QVERIFY(p.ctx->settings().object != "0222");
    }
};

QVPROG_GUI_TEST_MAIN(ArchiveWindowTest)
#include "archive_window_test.moc"
