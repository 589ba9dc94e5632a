#include "gui/monitor/monitor_indicators.hpp"

#include <QPainter>
#include <QPainterPath>

#include <array>

namespace qv::gui {

namespace {

void drawLight(QPainter& p, QColor centre, QColor rim) {
    QRadialGradient g(QPointF(6, 6), 9);
    g.setColorAt(0, centre.lighter(160));
    g.setColorAt(0.6, centre);
    g.setColorAt(1, rim);
    p.setPen(QPen(rim.darker(130), 1));
    p.setBrush(g);
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
}

void drawUnknown(QPainter& p) {
    drawLight(p, QColor(200, 200, 200), QColor(120, 120, 120));
    QFont f;
    f.setPixelSize(11);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(60, 60, 60));
    p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("?"));
}

void drawCross(QPainter& p) {
    p.setPen(QPen(QColor(20, 20, 20), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
    p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
}

void drawPadlock(QPainter& p) {
    // Drawn small in the lower right of its square, so it sits beside the light it belongs to.
    p.setPen(QPen(QColor(90, 70, 10), 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(7.5, 4.5, 6, 7), 0, 180 * 16);
    p.drawLine(QPointF(7.5, 8), QPointF(7.5, 9.5));
    p.drawLine(QPointF(13.5, 8), QPointF(13.5, 9.5));
    p.setPen(QPen(QColor(90, 70, 10), 1));
    p.setBrush(QColor(230, 180, 30));
    p.drawRect(QRectF(6, 9, 9, 6));
    p.setPen(QPen(QColor(90, 70, 10), 1.2));
    p.drawLine(QPointF(10.5, 11), QPointF(10.5, 13));
}

void drawContact(QPainter& p, bool closed) {
    const QColor ink(30, 30, 30);
    p.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(1, 12), QPointF(4, 12));
    p.drawLine(QPointF(12, 12), QPointF(15, 12));
    p.setBrush(ink);
    p.drawEllipse(QPointF(4.5, 12), 1.3, 1.3);
    p.drawEllipse(QPointF(11.5, 12), 1.3, 1.3);
    // The blade: lying on the far terminal when closed, lifted when open.
    p.setPen(
        QPen(closed ? QColor(0, 120, 0) : QColor(190, 0, 0), 1.8, Qt::SolidLine, Qt::RoundCap));
    if (closed)
        p.drawLine(QPointF(4.5, 12), QPointF(11.5, 11));
    else
        p.drawLine(QPointF(4.5, 12), QPointF(11, 4));
}

QPixmap draw(Indicator which) {
    QPixmap pm(kIndicatorSize, kIndicatorSize);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    switch (which) {
    case Indicator::Blank:
        break;
    case Indicator::Unknown:
        drawUnknown(p);
        break;
    case Indicator::Alarm:
        drawLight(p, QColor(235, 30, 30), QColor(130, 0, 0));
        break;
    case Indicator::NoAlarm:
        drawLight(p, QColor(40, 200, 40), QColor(0, 100, 0));
        break;
    case Indicator::Cross:
        drawCross(p);
        break;
    case Indicator::Padlock:
        drawPadlock(p);
        break;
    case Indicator::Closed:
        drawContact(p, true);
        break;
    case Indicator::Open:
        drawContact(p, false);
        break;
    }
    return pm;
}

constexpr int kIndicatorKinds = 8;

QPixmap drawIcon(MonitorIcon which, int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 24.0, size / 24.0);
    switch (which) {
    case MonitorIcon::Restart: {
        // A circular arrow.
        p.setPen(QPen(QColor(20, 90, 170), 2.6, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(4, 4, 16, 16), 60 * 16, 290 * 16);
        QPainterPath head;
        head.moveTo(13, 1.5);
        head.lineTo(19, 5.5);
        head.lineTo(12.5, 8.5);
        head.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(20, 90, 170));
        p.drawPath(head);
        break;
    }
    case MonitorIcon::SyncClock: {
        p.setPen(QPen(QColor(60, 60, 60), 1.6));
        p.setBrush(QColor(255, 255, 240));
        p.drawEllipse(QRectF(2.5, 2.5, 19, 19));
        p.setPen(QPen(QColor(40, 40, 40), 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(12, 12), QPointF(12, 6));
        p.drawLine(QPointF(12, 12), QPointF(16.5, 14));
        p.setPen(QPen(QColor(200, 40, 40), 1.2));
        for (int h = 0; h < 12; ++h) {
            p.save();
            p.translate(12, 12);
            p.rotate(30 * h);
            p.drawLine(QPointF(0, -8.5), QPointF(0, -7.3));
            p.restore();
        }
        break;
    }
    case MonitorIcon::Close: {
        // An open door.
        p.setPen(QPen(QColor(90, 60, 30), 1.4));
        p.setBrush(QColor(240, 240, 240));
        p.drawRect(QRectF(5, 2.5, 13, 19));
        QPainterPath door;
        door.moveTo(5, 2.5);
        door.lineTo(13, 5);
        door.lineTo(13, 23);
        door.lineTo(5, 21.5);
        door.closeSubpath();
        p.setBrush(QColor(170, 110, 50));
        p.drawPath(door);
        p.setBrush(QColor(250, 220, 80));
        p.drawEllipse(QPointF(11, 13), 1.1, 1.1);
        break;
    }
    case MonitorIcon::Record: {
        // A red dot in a ring.
        p.setPen(QPen(QColor(90, 90, 90), 1.4));
        p.setBrush(QColor(250, 250, 250));
        p.drawEllipse(QRectF(2.5, 2.5, 19, 19));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(210, 30, 30));
        p.drawEllipse(QRectF(7, 7, 10, 10));
        break;
    }
    case MonitorIcon::ExportCsv: {
        // A sheet with a grid.
        p.setPen(QPen(QColor(60, 60, 60), 1.2));
        p.setBrush(QColor(255, 255, 255));
        p.drawRect(QRectF(4.5, 2.5, 15, 19));
        p.setPen(QPen(QColor(30, 120, 60), 1));
        for (double y = 7.5; y < 21; y += 4)
            p.drawLine(QPointF(4.5, y), QPointF(19.5, y));
        p.drawLine(QPointF(10, 2.5), QPointF(10, 21.5));
        break;
    }
    case MonitorIcon::Trends: {
        // Axes and a falling line.
        p.setPen(QPen(QColor(60, 60, 60), 1.2));
        p.drawLine(QPointF(3.5, 3), QPointF(3.5, 20.5));
        p.drawLine(QPointF(3.5, 20.5), QPointF(21, 20.5));
        p.setPen(QPen(QColor(30, 80, 160), 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        const QPointF line[] = {{5, 8}, {9, 6}, {12, 11}, {16, 12}, {20, 17}};
        p.drawPolyline(line, 5);
        break;
    }
    case MonitorIcon::Replay: {
        // A play triangle over a tape.
        p.setPen(QPen(QColor(60, 60, 60), 1.2));
        p.setBrush(QColor(235, 235, 235));
        p.drawRoundedRect(QRectF(2.5, 5.5, 19, 13), 2, 2);
        QPolygonF tri;
        tri << QPointF(9, 8) << QPointF(9, 16) << QPointF(16, 12);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(20, 110, 40));
        p.drawPolygon(tri);
        break;
    }
    }
    return pm;
}

} // namespace

const QPixmap& indicatorPixmap(Indicator which) {
    static const std::array<QPixmap, kIndicatorKinds> pixmaps = [] {
        std::array<QPixmap, kIndicatorKinds> out;
        for (int i = 0; i < kIndicatorKinds; ++i)
            out[static_cast<std::size_t>(i)] = draw(static_cast<Indicator>(i));
        return out;
    }();
    return pixmaps[static_cast<std::size_t>(which)];
}

const char* indicatorName(Indicator which) {
    static constexpr const char* kNames[kIndicatorKinds] = {"blank", "unknown", "alarm",  "noAlarm",
                                                            "cross", "padlock", "closed", "open"};
    return kNames[static_cast<int>(which)];
}

QIcon monitorIcon(MonitorIcon which) {
    QIcon icon;
    for (int size : {16, 24, 32, 48})
        icon.addPixmap(drawIcon(which, size));
    return icon;
}

} // namespace qv::gui
