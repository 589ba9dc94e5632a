#include "gui/tab_centralka.hpp"

namespace qv::gui {

TabCentralka::TabCentralka(AppContext& ctx, QWidget* parent)
    : SettingsView(ctx, QStringLiteral("TabCentralka"), parent) {}

void TabCentralka::refresh() {}

} // namespace qv::gui
