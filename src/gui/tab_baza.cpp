#include "gui/tab_baza.hpp"

namespace qv::gui {

TabBaza::TabBaza(AppContext& ctx, QWidget* parent)
    : SettingsView(ctx, QStringLiteral("TabBaza"), parent) {}

void TabBaza::refresh() {}

} // namespace qv::gui
