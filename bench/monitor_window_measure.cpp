// The monitor window fed a continuous 115200-baud stream (11 520 bytes a second: the wire never
// idles) for 10 s, as a running module's lines replayed at wire speed through the window's port
// thread. Measures the user-interface thread's busy share (its processor time over the wall
// time) and the longest stall of its event loop (a 5 ms probe timer's largest lateness).
// Run offscreen: QT_QPA_PLATFORM=offscreen build/bench/monitor_window_measure [--terminal]
#include "gui/app/app_context.hpp"
#include "gui/app/appearance.hpp"
#include "gui/monitor/monitor_window.hpp"
#include "sim/monitor_stream.hpp"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

constexpr int kBytesPerSecond = 115200 / 10;
constexpr int kRunMs = 10000;
constexpr int kProbeMs = 5;

double threadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// Message boxes and sounds are counted, never shown.
class SilentUi final : public qv::gui::UiServices {
  public:
    int messages = 0;
    bool question(QWidget*, const QString&) override { return true; }
    void information(QWidget*, const QString&) override { ++messages; }
    void error(QWidget*, const QString&) override { ++messages; }
    void play(qv::gui::Sound) override {}
};

// A module with a busy line: status lines, an input change (and its event line) every second.
QByteArray moduleStream() {
    qv::sim::MonitorStream::Options o;
    o.inputChangeSeconds = 1;
    qv::sim::MonitorStream s(o);
    const std::string bytes = s.advanceTo(std::chrono::hours(2));
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    qv::gui::applyAppearance(app);
    const bool terminal = argc > 1 && std::strcmp(argv[1], "--terminal") == 0;

    QTemporaryDir dir;
    if (terminal) {
        QFile marker(dir.filePath(QStringLiteral("qvxlock.txt")));
        marker.open(QIODevice::WriteOnly);
    }
    SilentUi ui;
    qv::gui::AppContext ctx(dir.path().toStdString() + "/", ui);
    ctx.doc.startUp("COM1");
    qv::gui::MonitorWindow window(ctx);
    const QByteArray stream = moduleStream();
    window.setReplay(stream, kBytesPerSecond);

    QElapsedTimer wall;
    QElapsedTimer probeClock;
    qint64 lastProbe = 0, worstStallMs = 0, worstAtMs = 0;
    // The machine may be shared: the processor time between two probes tells the window's own
    // work apart from time the thread spent waiting to be scheduled.
    double lastCpu = 0, worstBusyMs = 0;
    double cpuStart = 0;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 now = probeClock.elapsed();
        if (now - lastProbe - kProbeMs > worstStallMs) {
            worstStallMs = now - lastProbe - kProbeMs;
            worstAtMs = now;
        }
        lastProbe = now;
        const double cpu = threadCpuSeconds();
        worstBusyMs = std::max(worstBusyMs, (cpu - lastCpu) * 1000.0);
        lastCpu = cpu;
    });
    QTimer::singleShot(0, &window, [&] {
        wall.start();
        probeClock.start();
        cpuStart = threadCpuSeconds();
        lastCpu = cpuStart;
        probe.start(kProbeMs);
    });
    double busy = 0;
    qint64 wallMs = 0;
    QTimer::singleShot(kRunMs, &window, [&] {
        busy = threadCpuSeconds() - cpuStart;
        wallMs = wall.elapsed();
        probe.stop();
        window.done(0);
    });
    window.runMonitor();

    const double share = 100.0 * busy / (static_cast<double>(wallMs) / 1000.0);
    std::printf("monitor window%s, %d bytes/s for %.1f s: %lld bytes received, %lld lines\n",
                terminal ? " with the service terminal" : "", kBytesPerSecond,
                static_cast<double>(wallMs) / 1000.0, window.model().receivedCount(),
                window.model().completedLines());
    std::printf("  user-interface thread busy: %.1f %% (target < 10 %%)\n", share);
    std::printf("  longest event-loop stall:   %lld ms, %.1f s into the run (target < 50 ms)\n",
                static_cast<long long>(worstStallMs), static_cast<double>(worstAtMs) / 1000.0);
    std::printf("  longest busy stretch of the thread between two probes: %.1f ms\n", worstBusyMs);
    return share < 10.0 && worstStallMs < 50 ? 0 : 1;
}
