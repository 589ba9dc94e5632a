#pragma once
// The live monitor of a running module: shows what the module reports on its own (values,
// inputs, outputs, events), restarts it, sets its clock, and in service mode shows the terminal
// beside itself. The port is read on a thread of its own; the received batches are parsed whole
// by the core's MonitorModel as they arrive, and the view repaints on a timer.
#include "monitor/monitor_model.hpp"
#include "monitor/monitor_replay.hpp"
#include "monitor/qvmon_file.hpp"
#include "monitor/trend_store.hpp"

#include <QByteArray>
#include <QDialog>
#include <QTimer>

#include <fstream>
#include <memory>

class QLabel;
class QStackedWidget;
class QToolButton;

namespace qv::gui {

class AppContext;
class MonitorReader;
class MonitorView;
class ReplayBar;
class ResetsWindow;
class TerminalWindow;
class TrendView;

class MonitorWindow : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kRepaintMs = 40;
    static constexpr int kTerminalEvery = 5; // repaints per refresh of the terminal's logs

    explicit MonitorWindow(AppContext& ctx, QWidget* parent = nullptr);
    ~MonitorWindow() override;
    // Empties every display (the clear command) and shows the window modally on the port.
    void runMonitor();
    // Shows the window modally on a recording instead of a port (nothing when it cannot be
    // opened).
    void runRecording(const QString& path);

    // The model shown: the live one, or the replayed one while a recording plays.
    const MonitorModel& model() const { return replay_ ? replay_->model() : model_; }
    const TrendStore& trends() const { return replay_ ? replay_->trends() : trends_; }
    bool replaying() const { return replay_ != nullptr; }
    const MonitorReplay* replay() const { return replay_.get(); }
    MonitorReader& reader() { return *reader_; }
    TerminalWindow* terminal() const { return terminal_; }
    ResetsWindow* resets() const { return resets_; }

    // Test and measurement seams: bytes as if received from the port (parsed at once), the
    // view brought up to date now, and a replayed stream in place of the port for the next
    // showing (an empty one returns to the port).
    void receiveBytes(const QByteArray& bytes);
    void refreshView();
    void setReplay(const QByteArray& bytes, int bytesPerSecond);
    // The clock the trends are timed by (the computer's; a simulated module's own virtual
    // clock when it runs faster than real time). The trends begin afresh.
    void setTrendClock(const Clock& clock);

    // The tool-bar commands.
    void restartDevice();
    void synchronizeTime();
    // The one-second timer: the silence handling.
    void tickSecond();

    // "Wykresy": the trends in place of the values, or back.
    void showTrends(bool on);
    // "Nagrywaj": records what the module sends to a file (asks for its name); again: stops.
    void toggleRecording();
    bool startRecording(const QString& path);
    void stopRecording();
    bool recording() const { return recorder_ != nullptr; }
    // "Eksport CSV": the trends' samples to a file (asks for its name).
    void exportCsv();
    bool exportCsvTo(const QString& path);
    // "Odtwórz zapis...": asks for a recording and plays it in place of the port.
    void chooseRecording();
    // Opens a recording without a port (closes the port if one is open); false when the file
    // holds no recording. A damaged one opens up to the damage, with a message.
    bool openRecording(const QString& path);
    // Replay controls: play or pause, speed 1, 10 or 100, jump to a time since the start.
    void setReplayPlaying(bool playing);
    void setReplaySpeed(int speed);
    void seekReplay(qint64 ms);
    // The replay timer: plays on by the time that passed times the speed.
    void replayTick(qint64 elapsedMs);

  public Q_SLOTS:
    void done(int result) override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void buildToolBar();
    void handleEffects();
    void repaintTick();
    void badPinStop();
    void showResets();
    void endReplay();
    void showFreshModel();

    AppContext& ctx_;
    MonitorModel model_;
    MonitorReader* reader_;
    MonitorView* view_;
    QStackedWidget* pages_ = nullptr;
    QToolButton* trendsButton_ = nullptr;
    TrendView* trendView_ = nullptr;
    TrendStore trends_;
    std::unique_ptr<TrendFeed> feed_;
    const Clock* trendClock_ = nullptr;
    std::unique_ptr<QvmonWriter> recorder_;
    Clock::TimePoint recordStart_{};
    QString recordPath_;
    std::unique_ptr<std::ifstream> replayFile_;
    std::unique_ptr<MonitorReplay> replay_;
    int replayGeneration_ = 0;
    int replaySpeed_ = 1;
    bool replayPlaying_ = false;
    QTimer replayTimer_;
    ReplayBar* replayBar_ = nullptr;
    QToolButton* recordButton_ = nullptr;
    QToolButton* csvButton_ = nullptr;
    QToolButton* replayButton_ = nullptr;
    QLabel* recordPanel_ = nullptr;
    QWidget* statusBar_ = nullptr;
    TerminalWindow* terminal_;
    ResetsWindow* resets_;
    QToolButton* restartButton_ = nullptr;
    QToolButton* syncButton_ = nullptr;
    QToolButton* closeButton_ = nullptr;
    QLabel* receivedPanel_ = nullptr;
    QTimer secondTimer_;
    QTimer repaintTimer_;
    QString portName_;
    QByteArray replayBytes_;
    Clock::TimePoint sessionStart_{};
    int replayRate_ = 0;
    int terminalTicks_ = 0;
    bool dirty_ = true;
    bool open_ = false;
    bool closing_ = false;
};

} // namespace qv::gui
