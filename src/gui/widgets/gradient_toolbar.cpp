#include "gui/widgets/gradient_toolbar.hpp"

#include <QPaintEvent>
#include <QPainter>
#include <QToolButton>

namespace qv::gui {

QColor gradientRowColour(int k) {
    const int grey = ((250 - 2 * k) % 256 + 256) % 256;
    const int blue = ((246 - 2 * k) % 256 + 256) % 256;
    return QColor(grey, grey, blue);
}

GradientToolBar::GradientToolBar(const QString& objectName, QWidget* parent) : QToolBar(parent) {
    setObjectName(objectName);
    setMovable(false);
    setFloatable(false);
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Captions of disabled buttons stay readable on the gradient's darker rows; their faded
    // icons show that they are disabled.
    QPalette pal = palette();
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText})
        pal.setColor(QPalette::Disabled, role, QColor(0x40, 0x40, 0x40));
    setPalette(pal);
    // The button that shows the buttons a narrow bar cannot hold.
    if (auto* more = findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button")))
        more->setAccessibleName(QStringLiteral("Więcej poleceń"));
}

void GradientToolBar::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const QRect r = event->rect();
    // Each row filled as a rectangle: at a fractional scale (150 %) a row covers one or two
    // device pixels, and lines one pixel wide would leave some of them unpainted.
    for (int y = r.top(); y <= r.bottom(); ++y)
        p.fillRect(QRectF(r.left(), y, r.width(), 1.0), gradientRowColour(y + 1));
}

} // namespace qv::gui
