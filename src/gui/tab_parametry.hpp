#pragma once
// The tab of system parameters, security, voltage thresholds, compatibility, energy saving.
#include "gui/settings_view.hpp"

namespace qv::gui {

class TabParametry : public SettingsView {
    Q_OBJECT
  public:
    explicit TabParametry(AppContext& ctx, QWidget* parent = nullptr);
    void refresh() override;
};

} // namespace qv::gui
