#pragma once
// The monitor's own small pictures, drawn with QPainter: the 16x16 indicators of the input
// columns and outputs, and the icons of its tool bar.
#include <QIcon>
#include <QPixmap>

namespace qv::gui {

enum class Indicator {
    Blank,   // nothing drawn (a panel or lock mark that is off)
    Unknown, // grey light with a question mark: no data
    Alarm,   // red light
    NoAlarm, // green light
    Cross,   // panel mark: the input is excluded from the armed panel
    Padlock, // lock mark: the input is locked
    Closed,  // closed relay contact
    Open,    // open relay contact
};

inline constexpr int kIndicatorSize = 16;

// The picture of an indicator (a shared, cached pixmap; transparent where nothing is drawn).
const QPixmap& indicatorPixmap(Indicator which);
// A short name of the indicator ("unknown", "alarm", ...), kept on the widget for tests.
const char* indicatorName(Indicator which);

enum class MonitorIcon { Restart, SyncClock, Close, Record, ExportCsv, Replay, Trends };
QIcon monitorIcon(MonitorIcon which);

} // namespace qv::gui
