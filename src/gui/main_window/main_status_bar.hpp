#pragma once
// The main window's status bar: the clock, the port (with "/R" for the reverse reset), the
// device family, an empty panel, "Weryfikuj transmisję" (read by every block write) and "Log".
// The clock ticks every second from 10 ms after the bar is first shown.
#include <QStatusBar>
#include <QTimer>

class QCheckBox;
class QLabel;

namespace qv::gui {

class AppContext;

// A port name as the window shows it: the simulated module's options (a state file path) would
// not fit, so it is named "sim".
QString shownPortName(const QString& name);

class MainStatusBar : public QStatusBar {
    Q_OBJECT
  public:
    MainStatusBar(AppContext& ctx, QWidget* parent);
    // Shows the time, the port and the device family now.
    void tick();

  Q_SIGNALS:
    // "Log": the application log is asked for.
    void logRequested();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    AppContext& ctx_;
    QLabel* panels_[4] = {};
    QCheckBox* verify_ = nullptr;
    QTimer clock_;
    bool shownOnce_ = false;
};

} // namespace qv::gui
