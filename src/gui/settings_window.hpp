#pragma once
// The port settings: the port list, the reverse reset and saving them to QVPROG2.INI.
#include <QDialog>

namespace qv::gui {

class AppContext;

class SettingsWindow : public QDialog {
    Q_OBJECT
  public:
    explicit SettingsWindow(AppContext& ctx, QWidget* parent = nullptr);
    // Remembers the current port and shows the window modally.
    void editSettings();

  private:
    AppContext& ctx_;
};

} // namespace qv::gui
