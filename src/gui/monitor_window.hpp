#pragma once
// The live monitor of a running module: shows what the module reports on its own (values,
// inputs, outputs, events), restarts it, sets its clock, and in service mode shows the terminal
// beside itself. The port is read on a thread of its own; the received batches are parsed whole
// by the core's MonitorModel as they arrive, and the view repaints on a timer.
#include "monitor/monitor_model.hpp"

#include <QByteArray>
#include <QDialog>
#include <QTimer>

class QLabel;
class QToolButton;

namespace qv::gui {

class AppContext;
class MonitorReader;
class MonitorView;
class ResetsWindow;
class TerminalWindow;

class MonitorWindow : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kRepaintMs = 40;
    static constexpr int kTerminalEvery = 5; // repaints per refresh of the terminal's logs

    explicit MonitorWindow(AppContext& ctx, QWidget* parent = nullptr);
    ~MonitorWindow() override;
    // Empties every display (the clear command) and shows the window modally on the port.
    void runMonitor();

    const MonitorModel& model() const { return model_; }
    MonitorReader& reader() { return *reader_; }
    TerminalWindow* terminal() const { return terminal_; }
    ResetsWindow* resets() const { return resets_; }

    // Test and measurement seams: bytes as if received from the port (parsed at once), the
    // view brought up to date now, and a replayed stream in place of the port for the next
    // showing (an empty one returns to the port).
    void receiveBytes(const QByteArray& bytes);
    void refreshView();
    void setReplay(const QByteArray& bytes, int bytesPerSecond);

    // The tool-bar commands.
    void restartDevice();
    void synchronizeTime();
    // The one-second timer: the silence handling.
    void tickSecond();

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

    AppContext& ctx_;
    MonitorModel model_;
    MonitorReader* reader_;
    MonitorView* view_;
    TerminalWindow* terminal_;
    ResetsWindow* resets_;
    QToolButton* restartButton_ = nullptr;
    QToolButton* syncButton_ = nullptr;
    QToolButton* closeButton_ = nullptr;
    QLabel* receivedPanel_ = nullptr;
    QTimer secondTimer_;
    QTimer repaintTimer_;
    QString portName_;
    QByteArray replay_;
    int replayRate_ = 0;
    int terminalTicks_ = 0;
    bool dirty_ = true;
    bool open_ = false;
    bool closing_ = false;
};

} // namespace qv::gui
