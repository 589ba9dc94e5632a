#pragma once
// The firmware update through the module's bootloader.
#include <QDialog>

namespace qv::gui {

class AppContext;

class FirmwareWindow : public QDialog {
    Q_OBJECT
  public:
    explicit FirmwareWindow(AppContext& ctx, QWidget* parent = nullptr);

  private:
    AppContext& ctx_;
};

} // namespace qv::gui
