#include "SkinTool.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace skintool {

namespace {

// Glyphs are designed on a unit square and mapped onto the box.
struct Unit
{
    QRectF box;
    QPointF at(qreal x, qreal y) const
    {
        return {box.left() + x * box.width(), box.top() + y * box.height()};
    }
    QRectF rect(qreal x, qreal y, qreal w, qreal h) const
    {
        return {at(x, y), QSizeF(w * box.width(), h * box.height())};
    }
    qreal len(qreal v) const { return v * std::min(box.width(), box.height()); }
};

QPainterPath polygon(const Unit& u, std::initializer_list<QPointF> points)
{
    QPainterPath path;
    bool first = true;
    for (const QPointF& p : points) {
        const QPointF q = u.at(p.x(), p.y());
        if (first)
            path.moveTo(q);
        else
            path.lineTo(q);
        first = false;
    }
    path.closeSubpath();
    return path;
}

void fillPath(QPainter& painter, const QPainterPath& path, const QColor& colour)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPath(path);
}

QPen strokePen(const Unit& u, qreal width, const QColor& colour)
{
    QPen pen(colour, u.len(width));
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

void drawPrinter(QPainter& painter, const Unit& u, const QColor& c)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(c);
    painter.drawRect(u.rect(0.28, 0.08, 0.44, 0.24)); // paper in the feeder
    QPainterPath body;
    body.addRoundedRect(u.rect(0.05, 0.34, 0.9, 0.38), u.len(0.08), u.len(0.08));
    painter.drawPath(body);
    painter.drawRect(u.rect(0.24, 0.62, 0.52, 0.3)); // printed sheet
    painter.setBrush(QColor(0, 0, 0, 170));
    painter.drawRect(u.rect(0.3, 0.68, 0.4, 0.04));
    painter.drawRect(u.rect(0.3, 0.78, 0.32, 0.04));
    painter.setBrush(QColor(255, 120, 40));
    painter.drawEllipse(u.rect(0.76, 0.42, 0.08, 0.08));
}

void drawCamera(QPainter& painter, const Unit& u, const QColor& c)
{
    QPainterPath body;
    body.addRoundedRect(u.rect(0.04, 0.28, 0.92, 0.6), u.len(0.1), u.len(0.1));
    body.addRect(u.rect(0.32, 0.16, 0.36, 0.16));
    QPainterPath lens;
    lens.addEllipse(u.at(0.5, 0.58), u.len(0.2), u.len(0.2));
    fillPath(painter, body.subtracted(lens), c);
    painter.setBrush(c);
    painter.drawEllipse(u.at(0.5, 0.58), u.len(0.12), u.len(0.12));
}

void drawFloppy(QPainter& painter, const Unit& u, const QColor& c)
{
    QPainterPath disk
        = polygon(u, {{0.1, 0.08}, {0.76, 0.08}, {0.92, 0.24}, {0.92, 0.92}, {0.1, 0.92}});
    QPainterPath holes;
    holes.addRect(u.rect(0.26, 0.08, 0.42, 0.26));
    holes.addRoundedRect(u.rect(0.22, 0.52, 0.58, 0.34), u.len(0.04), u.len(0.04));
    fillPath(painter, disk.subtracted(holes), c);
    painter.setBrush(c);
    painter.drawRect(u.rect(0.52, 0.12, 0.1, 0.18)); // shutter window
}

void drawInfo(QPainter& painter, const Unit& u, const QColor& c)
{
    painter.setPen(QPen(c, u.len(0.09)));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(u.at(0.5, 0.5), u.len(0.42), u.len(0.42));
    painter.setPen(Qt::NoPen);
    painter.setBrush(c);
    painter.drawEllipse(u.at(0.5, 0.29), u.len(0.07), u.len(0.07));
    painter.drawRoundedRect(u.rect(0.435, 0.41, 0.13, 0.35), u.len(0.03), u.len(0.03));
}

void drawUsb(QPainter& painter, const Unit& u, const QColor& c)
{
    painter.setPen(strokePen(u, 0.07, c));
    painter.setBrush(Qt::NoBrush);
    painter.drawLine(u.at(0.5, 0.18), u.at(0.5, 0.84));
    QPainterPath left;
    left.moveTo(u.at(0.5, 0.7));
    left.lineTo(u.at(0.24, 0.5));
    left.lineTo(u.at(0.24, 0.38));
    painter.drawPath(left);
    QPainterPath right;
    right.moveTo(u.at(0.5, 0.62));
    right.lineTo(u.at(0.76, 0.44));
    right.lineTo(u.at(0.76, 0.34));
    painter.drawPath(right);
    fillPath(painter, polygon(u, {{0.5, 0.04}, {0.62, 0.2}, {0.38, 0.2}}), c);
    painter.drawEllipse(u.at(0.24, 0.33), u.len(0.07), u.len(0.07));
    painter.drawRect(u.rect(0.7, 0.24, 0.12, 0.12));
    painter.drawEllipse(u.at(0.5, 0.86), u.len(0.1), u.len(0.1));
}

void drawGear(QPainter& painter, const Unit& u, const QColor& c)
{
    QPainterPath gear;
    const QPointF centre = u.at(0.5, 0.5);
    const int teeth = 8;
    for (int i = 0; i < teeth * 4; ++i) {
        const qreal angle = (i - 1.5) * M_PI * 2 / (teeth * 4);
        const qreal radius = u.len((i % 4 < 2) ? 0.46 : 0.33);
        const QPointF p(
            centre.x() + radius * std::cos(angle), centre.y() + radius * std::sin(angle));
        if (i == 0)
            gear.moveTo(p);
        else
            gear.lineTo(p);
    }
    gear.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(centre, u.len(0.14), u.len(0.14));
    fillPath(painter, gear.subtracted(hole), c);
}

void drawFolder(QPainter& painter, const Unit& u, const QColor& c)
{
    fillPath(painter,
        polygon(u,
            {{0.04, 0.14}, {0.38, 0.14}, {0.48, 0.26}, {0.96, 0.26}, {0.96, 0.88}, {0.04, 0.88}}),
        c.darker(130));
    fillPath(painter, polygon(u, {{0.04, 0.4}, {0.96, 0.4}, {0.96, 0.88}, {0.04, 0.88}}), c);
}

void drawSpeaker(QPainter& painter, const Unit& u, const QColor& c, bool muted)
{
    fillPath(painter,
        polygon(u,
            {{0.06, 0.36}, {0.24, 0.36}, {0.48, 0.12}, {0.48, 0.88}, {0.24, 0.64}, {0.06, 0.64}}),
        c);
    painter.setBrush(Qt::NoBrush);
    if (muted) {
        painter.setPen(strokePen(u, 0.1, QColor(236, 80, 64)));
        painter.drawLine(u.at(0.62, 0.32), u.at(0.9, 0.68));
        painter.drawLine(u.at(0.9, 0.32), u.at(0.62, 0.68));
        return;
    }
    painter.setPen(strokePen(u, 0.08, c));
    painter.drawArc(QRectF(u.at(0.38, 0.3), u.at(0.7, 0.7)), -50 * 16, 100 * 16);
    painter.drawArc(QRectF(u.at(0.3, 0.12), u.at(0.9, 0.88)), -50 * 16, 100 * 16);
}

void drawGauge(QPainter& painter, const Unit& u, const QColor& c)
{
    const QPointF centre = u.at(0.5, 0.72);
    const qreal radius = u.len(0.44);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(strokePen(u, 0.09, c));
    painter.drawArc(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius),
        -10 * 16, 200 * 16);
    painter.setPen(strokePen(u, 0.05, c));
    for (int i = 0; i <= 4; ++i) {
        const qreal a = (190 - i * 50) * M_PI / 180;
        const QPointF dir(std::cos(a), -std::sin(a));
        painter.drawPoint(centre + dir * radius * 0.68);
    }
    painter.setPen(strokePen(u, 0.08, QColor(255, 120, 40)));
    painter.drawLine(centre, centre + QPointF(std::cos(0.8), -std::sin(0.8)) * radius * 0.72);
    painter.setPen(Qt::NoPen);
    painter.setBrush(c);
    painter.drawEllipse(centre, u.len(0.08), u.len(0.08));
}

void drawLens(QPainter& painter, const Unit& u, const QColor& c)
{
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(c, u.len(0.12)));
    painter.drawEllipse(u.at(0.5, 0.5), u.len(0.38), u.len(0.38));
    painter.setPen(Qt::NoPen);
    painter.setBrush(c);
    painter.drawEllipse(u.at(0.5, 0.5), u.len(0.16), u.len(0.16));
}

} // namespace

void drawPadlock(QPainter& painter, const QRectF& box, const QColor& colour, qreal openness)
{
    const Unit u{box};
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(strokePen(u, 0.1, colour));
    // Opening lifts the shackle and frees its right leg from the body.
    const qreal lift = 0.14 * openness;
    QPainterPath shackle;
    shackle.moveTo(u.at(0.3, 0.48));
    shackle.lineTo(u.at(0.3, 0.3 - lift));
    shackle.arcTo(QRectF(u.at(0.3, 0.1 - lift), u.at(0.7, 0.5 - lift)), 180, -180);
    shackle.lineTo(u.at(0.7, 0.48 - 0.32 * openness));
    painter.drawPath(shackle);
    QPainterPath body;
    body.addRoundedRect(u.rect(0.16, 0.44, 0.68, 0.5), u.len(0.08), u.len(0.08));
    QPainterPath keyhole;
    keyhole.addEllipse(u.at(0.5, 0.62), u.len(0.07), u.len(0.07));
    keyhole.addRect(u.rect(0.475, 0.62, 0.05, 0.18));
    fillPath(painter, body.subtracted(keyhole), colour);
    painter.restore();
}

void drawGlyph(QPainter& painter, Glyph glyph, const QRectF& box, const QColor& colour)
{
    const Unit u{box};
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    switch (glyph) {
    case Glyph::Play:
        fillPath(painter, polygon(u, {{0.22, 0.1}, {0.9, 0.5}, {0.22, 0.9}}), colour);
        break;
    case Glyph::Pause:
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawRect(u.rect(0.18, 0.12, 0.24, 0.76));
        painter.drawRect(u.rect(0.58, 0.12, 0.24, 0.76));
        break;
    case Glyph::Stop:
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawRect(u.rect(0.15, 0.15, 0.7, 0.7));
        break;
    case Glyph::Previous:
        fillPath(painter, polygon(u, {{0.9, 0.12}, {0.9, 0.88}, {0.28, 0.5}}), colour);
        painter.setBrush(colour);
        painter.drawRect(u.rect(0.1, 0.12, 0.15, 0.76));
        break;
    case Glyph::Next:
        fillPath(painter, polygon(u, {{0.1, 0.12}, {0.1, 0.88}, {0.72, 0.5}}), colour);
        painter.setBrush(colour);
        painter.drawRect(u.rect(0.75, 0.12, 0.15, 0.76));
        break;
    case Glyph::Print:
        drawPrinter(painter, u, colour);
        break;
    case Glyph::Camera:
        drawCamera(painter, u, colour);
        break;
    case Glyph::Save:
        drawFloppy(painter, u, colour);
        break;
    case Glyph::Info:
        drawInfo(painter, u, colour);
        break;
    case Glyph::Usb:
        drawUsb(painter, u, colour);
        break;
    case Glyph::Gear:
        drawGear(painter, u, colour);
        break;
    case Glyph::Minimise:
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawRect(u.rect(0.1, 0.72, 0.8, 0.14));
        break;
    case Glyph::Close:
        painter.setPen(strokePen(u, 0.14, colour));
        painter.drawLine(u.at(0.16, 0.16), u.at(0.84, 0.84));
        painter.drawLine(u.at(0.84, 0.16), u.at(0.16, 0.84));
        break;
    case Glyph::Folder:
        drawFolder(painter, u, colour);
        break;
    case Glyph::Check: {
        painter.setPen(strokePen(u, 0.16, colour));
        painter.setBrush(Qt::NoBrush);
        QPainterPath tick;
        tick.moveTo(u.at(0.14, 0.52));
        tick.lineTo(u.at(0.4, 0.78));
        tick.lineTo(u.at(0.88, 0.22));
        painter.drawPath(tick);
        break;
    }
    case Glyph::Speaker:
    case Glyph::SpeakerMuted:
        drawSpeaker(painter, u, colour, glyph == Glyph::SpeakerMuted);
        break;
    case Glyph::Gauge:
        drawGauge(painter, u, colour);
        break;
    case Glyph::Lock:
    case Glyph::LockOpen:
        drawPadlock(painter, box, colour, glyph == Glyph::LockOpen ? 1 : 0);
        break;
    case Glyph::Lens:
        drawLens(painter, u, colour);
        break;
    }
    painter.restore();
}

} // namespace skintool
