#include "gui/tab_parametry.hpp"

namespace qv::gui {

TabParametry::TabParametry(AppContext& ctx, QWidget* parent)
    : SettingsView(ctx, QStringLiteral("TabParametry"), parent) {}

void TabParametry::refresh() {}

} // namespace qv::gui
