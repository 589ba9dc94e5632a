#pragma once
// The tab of GPRS server, APN, test period, backup Contact ID SMS and DTMF delays.
#include "gui/settings_view.hpp"

namespace qv::gui {

class TabGPRS : public SettingsView {
    Q_OBJECT
  public:
    explicit TabGPRS(AppContext& ctx, QWidget* parent = nullptr);
    void refresh() override;
};

} // namespace qv::gui
