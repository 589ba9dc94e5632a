#pragma once
// Which controls of the parameter, GPRS and alarm-panel tabs follow which settings: what is
// shown, enabled or written beside a control is derived from the settings alone, so every view
// of them shows the same state.
#include "config/settings.hpp"

#include <string>
#include <vector>

namespace qv {

// The four authorised numbers and their caption are shown unless any phone may control.
inline bool securityPhonesVisible(const Settings& s) {
    return !s.enableAnyPhone;
}
// The threshold list of an analogue input is enabled while the input measures.
inline bool analog3ListEnabled(const Settings& s) {
    return s.analog3Enable;
}
inline bool analog4ListEnabled(const Settings& s) {
    return s.analog4Enable;
}
// The test period list is enabled while the periodic test is on; "BRAK" is shown otherwise.
inline bool testPeriodEnabled(const Settings& s) {
    return s.doTest;
}
// The zone, delay and remote arming groups belong to the alarm panel.
inline bool alarmPanelGroupsVisible(const Settings& s) {
    return s.useZone;
}
// The "CENTRALKA" button switches the alarm panel on and off.
inline void toggleAlarmPanel(Settings& s) {
    s.useZone = !s.useZone;
}

// The GSM coverage level 0..31 as a percentage: 10 x position / 3, rounded half up
// (31 -> 103). Positions outside the track bar are clamped to it.
int gsmLevelPercent(int position);
std::string gsmLevelCaption(int position); // "103%"

// The items of an output's parameter list.
std::vector<std::string> outputParamItems(ParamList list);

} // namespace qv
