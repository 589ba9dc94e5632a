#pragma once
// The tab of the private phones' actions and SMS texts, and the three private phone numbers.
#include "gui/settings_view.hpp"

namespace qv::gui {

class TabPrywatne : public SettingsView {
    Q_OBJECT
  public:
    explicit TabPrywatne(AppContext& ctx, QWidget* parent = nullptr);
    void refresh() override;
};

} // namespace qv::gui
