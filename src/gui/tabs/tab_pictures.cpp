#include "gui/tabs/tab_pictures.hpp"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace qv::gui {

namespace {

const QColor kInk(40, 52, 72);
const QColor kBlue(38, 110, 200);
const QColor kGreen(40, 150, 70);
const QColor kRed(200, 50, 40);

QPixmap canvas(QSize size) {
    const qreal dpr = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    QPixmap pm(size * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    return pm;
}

void arrowHead(QPainter& p, QPointF tip, QPointF dir, QColor c) {
    const QPointF n(-dir.y(), dir.x());
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPolygon(QPolygonF{tip, tip - dir * 4.5 + n * 3.5, tip - dir * 4.5 - n * 3.5});
}

void arrow(QPainter& p, QPointF from, QPointF to, QColor c) {
    const QPointF d = to - from;
    const QPointF u = d / std::hypot(d.x(), d.y());
    p.setPen(QPen(c, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to - u * 3);
    arrowHead(p, to, u, c);
}

void box(QPainter& p, QRectF r) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(Qt::white);
    p.drawRect(r);
}

void draw(QPainter& p, ColumnIcon which) {
    switch (which) {
    case ColumnIcon::Cycle: {
        // Two arrows chasing each other round a circle.
        p.setPen(QPen(kBlue, 2, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        const QRectF r(2.5, 2.5, 11, 11);
        p.drawArc(r, 30 * 16, 130 * 16);
        p.drawArc(r, 210 * 16, 130 * 16);
        arrowHead(p, QPointF(13.5, 9.5), QPointF(0.2, 1), kBlue);
        arrowHead(p, QPointF(2.5, 6.5), QPointF(-0.2, -1), kBlue);
        break;
    }
    case ColumnIcon::Invert:
        box(p, QRectF(1.5, 1.5, 8, 8));
        p.setPen(QPen(kGreen, 1.8));
        p.drawLine(QPointF(3, 5.5), QPointF(5, 7.5));
        p.drawLine(QPointF(5, 7.5), QPointF(8.5, 3));
        box(p, QRectF(6.5, 6.5, 8, 8));
        break;
    case ColumnIcon::ChooseAll:
        // A chosen radio button over an arrow down the column.
        p.setPen(QPen(kInk, 1));
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(8, 4.5), 3.5, 3.5);
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        p.drawEllipse(QPointF(8, 4.5), 1.6, 1.6);
        arrow(p, QPointF(8, 9), QPointF(8, 15.5), kBlue);
        break;
    case ColumnIcon::CopyDown:
        box(p, QRectF(3.5, 1.5, 9, 4));
        arrow(p, QPointF(8, 6), QPointF(8, 15), kBlue);
        break;
    case ColumnIcon::CopyRight:
        arrow(p, QPointF(1, 8), QPointF(15, 8), kGreen);
        break;
    case ColumnIcon::CopyLeft:
        arrow(p, QPointF(15, 8), QPointF(1, 8), kGreen);
        break;
    case ColumnIcon::Clear:
        p.setPen(QPen(kRed, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
        break;
    }
}

} // namespace

QPixmap columnIconPixmap(ColumnIcon which) {
    QPixmap pm = canvas(QSize(kColumnIconSize, kColumnIconSize));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p, which);
    return pm;
}

QPixmap logoPixmap(QSize size) {
    QPixmap pm = canvas(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(0.5, 0.5, size.width() - 1, size.height() - 1);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(70, 130, 210));
    g.setColorAt(1, QColor(20, 60, 130));
    p.setPen(QPen(QColor(15, 40, 90), 1));
    p.setBrush(g);
    p.drawRoundedRect(r, 5, 5);
    // A small antenna with its waves on the left, the program's name beside it.
    const qreal h = r.height();
    const QPointF mast(r.left() + h * 0.45, r.top() + h * 0.3);
    p.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(mast, mast + QPointF(0, h * 0.5));
    p.setBrush(Qt::NoBrush);
    for (int i = 1; i <= 2; ++i) {
        const qreal rad = h * 0.12 * i;
        p.drawArc(QRectF(mast.x() - rad, mast.y() - rad, 2 * rad, 2 * rad), -50 * 16, 100 * 16);
    }
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(int(h * 0.55));
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(r.adjusted(h * 0.8, 0, -4, 0), Qt::AlignCenter, QStringLiteral("QV PROG"));
    return pm;
}

} // namespace qv::gui
