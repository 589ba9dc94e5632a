#include "gui/tab_gprs.hpp"

namespace qv::gui {

TabGPRS::TabGPRS(AppContext& ctx, QWidget* parent)
    : SettingsView(ctx, QStringLiteral("TabGPRS"), parent) {}

void TabGPRS::refresh() {}

} // namespace qv::gui
