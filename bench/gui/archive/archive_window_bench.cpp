// The archive window with one module of 10 000 entries: the entries read from the archive and
// shown in the view (the list's model filled and the view painted), and the model alone.
#include "archive/config_archive.hpp"
#include "gui/app/app_context.hpp"
#include "gui/archive/archive_models.hpp"
#include "gui/archive/archive_window.hpp"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTableView>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

using namespace qv;
using namespace qv::gui;

constexpr int kEntries = 10000;

class QuietUi : public UiServices {
  public:
    bool question(QWidget*, const QString&) override { return true; }
    void information(QWidget*, const QString&) override {}
    void error(QWidget*, const QString&) override {}
};

// On /dev/shm when there is one: 10 000 synced commits on a disk only cost set-up time.
QString scratchTemplate() {
    const QString base =
        QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    return base + QStringLiteral("/qvprog_archive_window_bench-XXXXXX");
}

struct Fixture {
    QTemporaryDir dir{scratchTemplate()};
    QuietUi ui;
    std::unique_ptr<AppContext> ctx;
    std::unique_ptr<ArchiveWindow> window;
    QTableView* view = nullptr;
    std::vector<ArchiveEntrySummary> summaries;
    Fixture() {
        const QString path = dir.filePath("archive.sqlite");
        qputenv("QVPROG_ARCHIVE", QFile::encodeName(path));
        auto opened = ConfigArchive::open(path.toStdString(), ConfigArchive::Access::create);
        ConfigArchive& archive = *opened.archive;
        NewArchiveEntry e;
        e.identity.serialNumber = "2392123";
        e.identity.modelName = "NAME";
        e.time = {2026, 12, 1, 10, 0, 0, 0};
        e.userName = "jan";
        e.fileName = "/home/jan/obiekty/magazyn.qvx";
        for (int k = 0; k < kEntries; ++k) {
            e.state = k % 3 ? "written" : "read";
            e.note = "wizyta " + std::to_string(k);
            archive.add(e);
        }
        summaries = archive.entries("2392123").value;
        ctx = std::make_unique<AppContext>(dir.path().toStdString() + "/", ui);
        window = std::make_unique<ArchiveWindow>(*ctx);
        window->resize(900, 620);
        window->showArchive();
        view = window->findChild<QTableView*>(QStringLiteral("archiveEntries"));
        QCoreApplication::processEvents();
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

// What choosing the module costs: its 10 000 entries read from the file, listed, painted.
void listModuleFromArchive(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state) {
        f.window->reload();
        f.view->viewport()->repaint();
        benchmark::DoNotOptimize(f.window->entryModel()->rowCount());
    }
    state.counters["entries"] = f.window->entryModel()->rowCount();
}
BENCHMARK(listModuleFromArchive)->Unit(benchmark::kMillisecond);

// The view alone: 10 000 summaries into the model, and the view painted.
void fillViewWithEntries(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state) {
        f.window->entryModel()->setEntries(f.summaries);
        f.view->viewport()->repaint();
    }
    state.counters["entries"] = double(f.summaries.size());
}
BENCHMARK(fillViewWithEntries)->Unit(benchmark::kMillisecond);

} // namespace
