#include "gui/tab_prywatne.hpp"

namespace qv::gui {

TabPrywatne::TabPrywatne(AppContext& ctx, QWidget* parent)
    : SettingsView(ctx, QStringLiteral("TabPrywatne"), parent) {}

void TabPrywatne::refresh() {}

} // namespace qv::gui
