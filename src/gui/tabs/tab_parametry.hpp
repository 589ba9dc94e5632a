#pragma once
// The tab of system parameters, security (password, authorised numbers, the additional phones
// button), voltage thresholds, compatibility and energy saving; the temperature sensor group is
// part of it but hidden.
//
// Widgets are named after the settings they hold (fPIN, fPASSWORD, fEVENT_CNT, ...,
// fSecurityPhone1..4, RangeAlarmSlide with its caption rangeAlarm, CheckBoxCzujka2/5 and
// EditCzujka2LevelH/L, EditCzujka5LevelH/L); Button4 opens the additional phones, which the
// main window connects by name. Captions of the edits are labels named Label + the edit's name.
#include "gui/widgets/bound_view.hpp"

namespace qv::gui {

class TabParametry : public BoundView {
    Q_OBJECT
  public:
    explicit TabParametry(AppContext& ctx, QWidget* parent = nullptr);

  private:
    QWidget* buildSystemGroup();
    QWidget* buildSecurityGroup();
    QWidget* buildThresholdGroup();
    QWidget* buildCompatibilityGroup();
    QWidget* buildEnergyGroup();
    QWidget* buildTemperatureGroup();
};

} // namespace qv::gui
