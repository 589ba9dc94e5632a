#pragma once
// The tab of the buttons of the counters and the phone base.
#include "gui/settings_view.hpp"

namespace qv::gui {

class TabAddOns : public SettingsView {
    Q_OBJECT
  public:
    explicit TabAddOns(AppContext& ctx, QWidget* parent = nullptr);
    void refresh() override;
};

} // namespace qv::gui
