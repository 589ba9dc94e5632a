#pragma once
// What assistive technology (screen readers, dictation, on-screen keyboards) sees of the
// program beyond Qt's own interfaces:
// - the clickable labels (action cells, column pictures, the monitor's link) as buttons and
//   links with a press action;
// - push and tool buttons whose press action returns at once: the command runs right after,
//   so a command that opens a modal window does not hold the caller until the window closes;
// - the page tabs: only the tabs shown, the current one "selected".
// Controls are named by the settings they hold, with the labels the comparison uses.
#include <QString>

#include <string_view>

class QWidget;

namespace qv::gui {

// Installs the interfaces; call once, after the QApplication is made and before any window.
void installAccessibility();

// Names a control. A list also gets a hidden label that names it, beside it: call this once
// the list has its final parent.
void nameControl(QWidget* w, const QString& name);

// Names w by the setting it holds: "Wejście 1(K) – Treść SMS (alarm)", "Numery uprawnione – 2".
void nameBySetting(QWidget* w, std::string_view key, int index = 0, int column = 0);

// Names w as a control of input row slot under heading: "Wejście 1(K) – NC".
void nameBySlot(QWidget* w, int slot, std::string_view heading);

} // namespace qv::gui
