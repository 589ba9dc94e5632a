#include "gui/widgets/window_placement.hpp"

#include <QEvent>
#include <QScreen>
#include <QWidget>

namespace qv::gui {

namespace {
// Sees the window's show event before the window does: the window has its size by then (its
// layout has run), and a dialog placed here is not moved over its parent afterwards.
class CentreWhenShown final : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched == parent())
            centreOnScreen(static_cast<QWidget*>(watched));
        return false;
    }
};
} // namespace

void centreOnScreenWhenShown(QWidget* window) {
    window->installEventFilter(new CentreWhenShown(window));
}

void centreOnScreen(QWidget* window) {
    const QWidget* owner = window->parentWidget() ? window->parentWidget()->window() : window;
    const QScreen* screen = owner->screen();
    if (!screen) return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

} // namespace qv::gui
