#include "gui/monitor_window.hpp"

#include "gui/app_context.hpp"

namespace qv::gui {

MonitorWindow::MonitorWindow(AppContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
    setObjectName(QStringLiteral("TShowForm"));
}

void MonitorWindow::runMonitor() {
    exec();
}

} // namespace qv::gui
