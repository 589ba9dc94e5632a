#include "gui/counters_window.hpp"

#include "gui/app_context.hpp"

namespace qv::gui {

CountersWindow::CountersWindow(AppContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
    setObjectName(QStringLiteral("TFormCounter"));
}

void CountersWindow::editCounters(const qv::CounterValues&) {
    exec();
}

} // namespace qv::gui
