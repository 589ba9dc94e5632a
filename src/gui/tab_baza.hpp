#pragma once
// The tab of the base table: contact type, input time, reset, status, the base phone's actions, SMS
// texts and phone numbers for alarm and return.
#include "gui/settings_view.hpp"

namespace qv::gui {

class TabBaza : public SettingsView {
    Q_OBJECT
  public:
    explicit TabBaza(AppContext& ctx, QWidget* parent = nullptr);
    void refresh() override;
};

} // namespace qv::gui
