#pragma once
// The tab of the configuration description and one description line per input.
#include "gui/settings_view.hpp"

namespace qv::gui {

class TabOpisy : public SettingsView {
    Q_OBJECT
  public:
    explicit TabOpisy(AppContext& ctx, QWidget* parent = nullptr);
    void refresh() override;
};

} // namespace qv::gui
