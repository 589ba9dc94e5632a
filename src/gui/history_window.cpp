#include "gui/history_window.hpp"

#include "gui/app_context.hpp"

namespace qv::gui {

HistoryWindow::HistoryWindow(AppContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
    setObjectName(QStringLiteral("ThistoryForm"));
}

void HistoryWindow::showFileBuffer(const std::vector<std::uint8_t>&) {}

} // namespace qv::gui
