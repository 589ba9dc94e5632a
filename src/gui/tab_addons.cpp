#include "gui/tab_addons.hpp"

namespace qv::gui {

TabAddOns::TabAddOns(AppContext& ctx, QWidget* parent)
    : SettingsView(ctx, QStringLiteral("TabAddOns"), parent) {}

void TabAddOns::refresh() {}

} // namespace qv::gui
