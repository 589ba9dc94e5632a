#include "gui/widgets/settings_view.hpp"

#include "gui/app/app_context.hpp"

namespace qv::gui {

SettingsView::SettingsView(AppContext& ctx, const QString& objectName, QWidget* parent)
    : QWidget(parent), ctx_(ctx) {
    setObjectName(objectName);
}

Settings& SettingsView::settings() {
    return ctx_.settings();
}

void SettingsView::commitEdit() {
    refresh();
    Q_EMIT edited();
}

} // namespace qv::gui
