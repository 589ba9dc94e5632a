#pragma once
// The program's own tool-bar pictures, drawn with simple shapes at every size asked for.
#include <QIcon>

namespace qv::gui {

enum class ToolIcon {
    New,
    Open,
    Save,
    Settings,
    Read,
    Write,
    ClearPassword,
    Firmware,
    Monitor,
    History,
    Sms,
    Language,
    Log,
    AlarmPanelOn,
    AlarmPanelOff,
    Identify,
    Help,
    Close,
};

QIcon toolIcon(ToolIcon which);

} // namespace qv::gui
