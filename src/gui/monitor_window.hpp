#pragma once
// The live monitor of a running module.
#include <QDialog>

namespace qv::gui {

class AppContext;

class MonitorWindow : public QDialog {
    Q_OBJECT
  public:
    explicit MonitorWindow(AppContext& ctx, QWidget* parent = nullptr);
    // Empties every display (the clear command) and shows the window modally on the port.
    void runMonitor();

  private:
    AppContext& ctx_;
};

} // namespace qv::gui
