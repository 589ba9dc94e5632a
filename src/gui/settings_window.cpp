#include "gui/settings_window.hpp"

#include "gui/app_context.hpp"

namespace qv::gui {

SettingsWindow::SettingsWindow(AppContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
    setObjectName(QStringLiteral("TsettingsWindow"));
}

void SettingsWindow::editSettings() {
    exec();
}

} // namespace qv::gui
