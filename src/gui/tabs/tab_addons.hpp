#pragma once
// The tab of the add-on firmware functions: Button5 reads and writes the input counters,
// Button8 manages the base of 4000 phone numbers (the main window connects both by name).
#include "gui/widgets/settings_view.hpp"

namespace qv::gui {

class TabAddOns : public SettingsView {
    Q_OBJECT
  public:
    explicit TabAddOns(AppContext& ctx, QWidget* parent = nullptr);
    void refresh() override {}
};

} // namespace qv::gui
