// The phone base window with 4000 numbers: filling the grid from the image, one search
// keystroke, and saving and loading the phone base file through the window.
#include "gui/app/app_context.hpp"
#include "gui/device_windows/phone_base_window.hpp"
#include "tools/phone_base.hpp"

#include <QCoreApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

using namespace qv;
using namespace qv::gui;

// Dialogs answer at once; messages are dropped.
class QuietUi : public UiServices {
  public:
    QString file;
    bool question(QWidget*, const QString&) override { return true; }
    void information(QWidget*, const QString&) override {}
    void error(QWidget*, const QString&) override {}
    QString openFileName(QWidget*, const QString&, const QString&, const QString&) override {
        return file;
    }
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&,
                         const QString&) override {
        return file;
    }
};

struct Fixture {
    QTemporaryDir dir;
    QuietUi ui;
    AppContext ctx{dir.path().toStdString() + "/", ui};
    PhoneBaseWindow window{ctx};
    Fixture() {
        ui.file = dir.filePath("baza.PHBINI");
        PhoneBaseTable full;
        for (int r = 0; r < kPhoneBaseRows; ++r) {
            full.numbers[std::size_t(r)] = std::to_string(600000000 + r * 13);
            full.names[std::size_t(r)] = "Klient " + std::to_string(r);
        }
        PhoneBaseImage image = PhoneBaseImage::empty();
        encodePhoneBase(full, image);
        ctx.doc.phoneBaseBuffer().assign(image.bytes.begin(), image.bytes.end());
        window.table() = full;
        window.resize(800, 620);
        window.show();
        QCoreApplication::processEvents();
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void fillFromImage(benchmark::State& state) {
    auto& f = fixture();
    for (auto _ : state) {
        f.window.eepToTab();
        QCoreApplication::processEvents(); // the grid repaints
    }
}
BENCHMARK(fillFromImage)->Unit(benchmark::kMillisecond);

void searchKeystroke(benchmark::State& state) {
    auto& f = fixture();
    auto* edit = f.window.findChild<QLineEdit*>(QStringLiteral("Edit1"));
    bool odd = false;
    for (auto _ : state) {
        edit->setText(odd ? QStringLiteral("6000") : QStringLiteral("600"));
        QCoreApplication::processEvents();
        odd = !odd;
    }
    edit->clear();
}
BENCHMARK(searchKeystroke)->Unit(benchmark::kMillisecond);

void saveFile(benchmark::State& state) {
    auto& f = fixture();
    for (auto _ : state)
        f.window.saveToFile();
}
BENCHMARK(saveFile)->Unit(benchmark::kMillisecond);

void loadFile(benchmark::State& state) {
    auto& f = fixture();
    f.window.saveToFile();
    for (auto _ : state) {
        f.window.loadFromFile();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(loadFile)->Unit(benchmark::kMillisecond);

} // namespace
