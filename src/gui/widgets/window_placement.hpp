#pragma once
// Windows that stand in the middle of the screen: centred on the screen their main window is
// on (their own screen when they have no parent), once they have their size, at every showing.
class QWidget;

namespace qv::gui {

// Centres window at every showing, before it appears.
void centreOnScreenWhenShown(QWidget* window);
// Centres window now, as it stands.
void centreOnScreen(QWidget* window);

} // namespace qv::gui
