#pragma once
// The tab of the alarm panel ("CENTRALKA" on tool bar ToolBar2), the output table with the
// siren panel, remote arming, delays and zone.
//
// Widgets: centralkaButton inverts the hidden check box fUSE_ZONE, which shows the groups ZONE1,
// DELAY and REMOTE. Output o (1..5) has its name label OutputNameLabel<o>, its type list
// fOUTPUT_TYPE<o>, its parameter caption OutputParamLabel<o> and parameter list
// fOUTPUT_PARAM<o>. BELLPanel (between outputs 1 and 2) holds fBELL_TIME and the siren box
// fZONE_BELL_MASK1_<s> of every input slot s under the label BellLabel<s>; ZONE1 holds the
// blocking box fZONE_MASK1_<s> under ZoneLabel<s>. Button3 opens the SMS descriptions.
#include "gui/widgets/bound_view.hpp"

class QToolButton;

namespace qv::gui {

class TabCentralka : public BoundView {
    Q_OBJECT
  public:
    explicit TabCentralka(AppContext& ctx, QWidget* parent = nullptr);

  private:
    QWidget* buildToolBar();
    QWidget* buildOutputGroup();
    QWidget* buildBellPanel(QWidget* parent);
    QWidget* buildZoneGroup();
    QWidget* buildDelayGroup();
    QWidget* buildRemoteGroup();
    // One check box `fKEY_slot` per input slot under its short label.
    QWidget* slotBoxes(QWidget* parent, const char* key, const char* labelPrefix,
                       bool InputRow::*flag, bool (*editable)(int));
};

} // namespace qv::gui
