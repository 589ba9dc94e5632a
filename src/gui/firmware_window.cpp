#include "gui/firmware_window.hpp"

#include "gui/app_context.hpp"

namespace qv::gui {

FirmwareWindow::FirmwareWindow(AppContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
    setObjectName(QStringLiteral("TfirmwareForm"));
}

} // namespace qv::gui
