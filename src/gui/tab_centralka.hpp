#pragma once
// The tab of the alarm panel, the output table with the siren panel, remote arming, delays and
// zone.
#include "gui/settings_view.hpp"

namespace qv::gui {

class TabCentralka : public SettingsView {
    Q_OBJECT
  public:
    explicit TabCentralka(AppContext& ctx, QWidget* parent = nullptr);
    void refresh() override;
};

} // namespace qv::gui
