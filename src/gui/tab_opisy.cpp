#include "gui/tab_opisy.hpp"

namespace qv::gui {

TabOpisy::TabOpisy(AppContext& ctx, QWidget* parent)
    : SettingsView(ctx, QStringLiteral("TabOpisy"), parent) {}

void TabOpisy::refresh() {}

} // namespace qv::gui
