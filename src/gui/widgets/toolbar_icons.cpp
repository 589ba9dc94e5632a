#include "gui/widgets/toolbar_icons.hpp"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>

namespace qv::gui {

namespace {

const QColor kInk(40, 52, 72);
const QColor kPaper(250, 250, 246);
const QColor kBlue(38, 110, 200);
const QColor kGreen(40, 150, 70);
const QColor kRed(200, 50, 40);
const QColor kAmber(230, 160, 30);

void page(QPainter& p, QRectF r) {
    QPainterPath path;
    path.moveTo(r.left() + 5, r.top() + 2);
    path.lineTo(r.right() - 9, r.top() + 2);
    path.lineTo(r.right() - 5, r.top() + 6);
    path.lineTo(r.right() - 5, r.bottom() - 2);
    path.lineTo(r.left() + 5, r.bottom() - 2);
    path.closeSubpath();
    p.setBrush(kPaper);
    p.setPen(QPen(kInk, 1.2));
    p.drawPath(path);
}

void arrow(QPainter& p, QPointF from, QPointF to, QColor c) {
    p.setPen(QPen(c, 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    const QPointF d = (to - from) / std::hypot(to.x() - from.x(), to.y() - from.y());
    const QPointF n(-d.y(), d.x());
    QPolygonF head{to + d * 2, to - d * 5 + n * 4.5, to - d * 5 - n * 4.5};
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPolygon(head);
}

void chip(QPainter& p, QRectF r) {
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(QColor(70, 80, 95));
    p.drawRoundedRect(r.adjusted(6, 6, -6, -6), 2, 2);
    p.setPen(QPen(kInk, 1.5));
    for (int i = 0; i < 3; ++i) {
        const double x = r.left() + 9 + i * 3;
        p.drawLine(QPointF(x, r.top() + 3), QPointF(x, r.top() + 6));
        p.drawLine(QPointF(x, r.bottom() - 6), QPointF(x, r.bottom() - 3));
    }
}

QFont glyphFont(int pixels) {
    QFont f;
    f.setBold(true);
    f.setPixelSize(pixels);
    return f;
}

// A round face with an ink rim.
void disc(QPainter& p, QColor fill, double rim = 1.2) {
    p.setPen(QPen(kInk, rim));
    p.setBrush(fill);
    p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
}

// A small round mark with one character in the lower right corner.
void badge(QPainter& p, QColor c, const QString& glyph) {
    const QRectF mark(12, 12, 12, 12);
    p.setPen(QPen(kPaper, 1));
    p.setBrush(c);
    p.drawEllipse(mark);
    p.setFont(glyphFont(10));
    p.drawText(mark, Qt::AlignCenter, glyph);
}

void draw(QPainter& p, ToolIcon which) {
    const QRectF r(0, 0, 24, 24);
    p.setRenderHint(QPainter::Antialiasing);
    switch (which) {
    case ToolIcon::New:
        page(p, r);
        p.setPen(QPen(kAmber, 2));
        p.drawLine(QPointF(15, 15), QPointF(21, 21));
        p.drawLine(QPointF(21, 15), QPointF(15, 21));
        break;
    case ToolIcon::Open:
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(QColor(240, 200, 90));
        p.drawRect(QRectF(2, 6, 18, 14));
        p.setBrush(QColor(250, 220, 120));
        p.drawPolygon(QPolygonF{{5, 10}, {23, 10}, {20, 20}, {2, 20}});
        break;
    case ToolIcon::Save:
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(kBlue);
        p.drawRoundedRect(QRectF(3, 3, 18, 18), 2, 2);
        p.setBrush(kPaper);
        p.drawRect(QRectF(7, 3, 10, 7));
        p.drawRect(QRectF(6, 13, 12, 8));
        break;
    case ToolIcon::Settings: {
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(QColor(150, 160, 175));
        QPainterPath gear;
        for (int i = 0; i < 8; ++i) {
            p.save();
            p.translate(12, 12);
            p.rotate(i * 45);
            p.drawRect(QRectF(-2, -10, 4, 5));
            p.restore();
        }
        p.drawEllipse(QPointF(12, 12), 6.5, 6.5);
        p.setBrush(kPaper);
        p.drawEllipse(QPointF(12, 12), 2.5, 2.5);
        break;
    }
    case ToolIcon::Read:
        chip(p, QRectF(0, 0, 14, 24).translated(-2, 0));
        arrow(p, {11, 12}, {21, 12}, kGreen);
        break;
    case ToolIcon::Write:
        chip(p, QRectF(10, 0, 14, 24).translated(2, 0));
        arrow(p, {2, 12}, {12, 12}, kRed);
        break;
    case ToolIcon::ClearPassword:
        p.setPen(QPen(kInk, 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(6, 2, 12, 12), 0, 180 * 16);
        p.setBrush(kAmber);
        p.drawRoundedRect(QRectF(4, 9, 16, 12), 2, 2);
        p.setPen(QPen(kRed, 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(3, 21), QPointF(21, 3));
        break;
    case ToolIcon::Firmware:
        chip(p, r);
        arrow(p, {12, 1}, {12, 13}, kAmber);
        break;
    case ToolIcon::Monitor:
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(QColor(30, 40, 50));
        p.drawRoundedRect(QRectF(2, 3, 20, 14), 2, 2);
        p.setPen(QPen(QColor(90, 230, 120), 1.6));
        p.drawPolyline(QPolygonF{{4, 11}, {8, 11}, {10, 6}, {13, 15}, {15, 9}, {20, 9}});
        p.setPen(QPen(kInk, 2));
        p.drawLine(QPointF(12, 17), QPointF(12, 21));
        p.drawLine(QPointF(7, 21), QPointF(17, 21));
        break;
    case ToolIcon::History:
        disc(p, kPaper, 1.4);
        p.setPen(QPen(kBlue, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(12, 12), QPointF(12, 6));
        p.drawLine(QPointF(12, 12), QPointF(16, 14));
        break;
    case ToolIcon::Sms:
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(kGreen);
        p.drawRoundedRect(QRectF(2, 3, 20, 14), 4, 4);
        p.drawPolygon(QPolygonF{{6, 16}, {11, 16}, {5, 22}});
        p.setPen(QPen(kPaper, 1.6));
        for (int i = 0; i < 3; ++i)
            p.drawPoint(QPointF(8 + i * 4, 10));
        break;
    case ToolIcon::Language:
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(QColor(170, 210, 250));
        p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(12, 12), 4, 9.5);
        p.drawLine(QPointF(2.5, 12), QPointF(21.5, 12));
        break;
    case ToolIcon::Log:
        page(p, r);
        p.setPen(QPen(kInk, 1.2));
        for (int i = 0; i < 4; ++i)
            p.drawLine(QPointF(8, 8 + i * 3.5), QPointF(16, 8 + i * 3.5));
        break;
    case ToolIcon::AlarmPanelOn:
    case ToolIcon::AlarmPanelOff: {
        const bool on = which == ToolIcon::AlarmPanelOn;
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(on ? kRed : QColor(160, 165, 175));
        QPainterPath shield;
        shield.moveTo(12, 2);
        shield.lineTo(21, 6);
        shield.cubicTo(21, 14, 17, 19, 12, 22);
        shield.cubicTo(7, 19, 3, 14, 3, 6);
        shield.closeSubpath();
        p.drawPath(shield);
        p.setPen(QPen(kPaper, 2, Qt::SolidLine, Qt::RoundCap));
        if (on) {
            p.drawPolyline(QPolygonF{{8, 12}, {11, 15}, {16, 8}});
        } else {
            p.drawLine(QPointF(9, 9), QPointF(15, 15));
            p.drawLine(QPointF(15, 9), QPointF(9, 15));
        }
        break;
    }
    case ToolIcon::Identify:
        chip(p, r);
        badge(p, kBlue, QStringLiteral("?"));
        break;
    case ToolIcon::Help:
        disc(p, kBlue);
        p.setPen(kPaper);
        p.setFont(glyphFont(13));
        p.drawText(r, Qt::AlignCenter, QStringLiteral("?"));
        break;
    case ToolIcon::Close:
        disc(p, kRed);
        p.setPen(QPen(kPaper, 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 8), QPointF(16, 16));
        p.drawLine(QPointF(16, 8), QPointF(8, 16));
        break;
    }
}

// Draws the picture at whatever size and device pixel ratio is asked for, so high-DPI
// screens get crisp lines.
class DrawnIconEngine : public QIconEngine {
  public:
    explicit DrawnIconEngine(ToolIcon which) : which_(which) {}
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        painter->save();
        painter->translate(rect.topLeft());
        painter->scale(rect.width() / 24.0, rect.height() / 24.0);
        if (mode == QIcon::Disabled) painter->setOpacity(0.35);
        draw(*painter, which_);
        painter->restore();
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap pm(size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        paint(&p, QRect(QPoint(0, 0), size), mode, state);
        return pm;
    }
    QIconEngine* clone() const override { return new DrawnIconEngine(which_); }

  private:
    ToolIcon which_;
};

} // namespace

QIcon toolIcon(ToolIcon which) {
    return QIcon(new DrawnIconEngine(which));
}

} // namespace qv::gui
