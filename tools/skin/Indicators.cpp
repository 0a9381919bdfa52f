#include "SkinTool.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <functional>

// The pieces the main window copies while it draws: bar fill, thumbs, speed digits, unit
// labels, slider icons, list icons, scroll arrows and the event marker.
namespace skintool {

namespace {

// Rows of the groove inside a thumb: seek and slider thumbs are 20 high and their grooves
// run 5 pixels below the thumb's top (seek bar y 559 under a thumb at 554, sliders 557
// under 552).
constexpr qreal kGrooveTop = 5;

QImage fillPiece(
    const SkinSet& skin, const QRect& spot, const QRectF& fillRect, qreal left, qreal right)
{
    QImage image = skin.crop(130, spot);
    QPainter painter(&image);
    prepare(painter);
    drawFill(painter, fillRect, left, right);
    painter.end();
    return image;
}

// A thumb: the filled bar runs into its left half and the empty groove out of its right
// half, so the knob sits exactly on the current position (its centre column).
QImage thumb(const SkinSet& skin, const QRect& spot, qreal knobWidth)
{
    QImage image = skin.crop(130, spot);
    QPainter painter(&image);
    prepare(painter);
    const qreal centre = spot.width() / 2.0;
    drawFill(painter, QRectF(-4, kGrooveTop, centre + 4, 8), 0, 0);
    const QRectF knob(centre - knobWidth / 2, 1, knobWidth, spot.height() - 2);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 140));
    painter.drawRoundedRect(knob.translated(0, 1), 4, 4);
    fillVertical(painter, knob, QColor(214, 224, 232), QColor(92, 104, 120), 4);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(40, 46, 56), 1));
    painter.drawRoundedRect(knob.adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    painter.setPen(QPen(look::title, 2));
    painter.drawLine(QPointF(centre, knob.top() + 4), QPointF(centre, knob.bottom() - 4));
    painter.end();
    return image;
}

void addSegment(QPainterPath& path, QPointF from, QPointF to, qreal half)
{
    const bool horizontal = from.y() == to.y();
    const QPointF along = horizontal ? QPointF(half, 0) : QPointF(0, half);
    const QPointF across = horizontal ? QPointF(0, half) : QPointF(half, 0);
    path.addPolygon(QPolygonF({from, from + along - across, to - along - across, to,
        to - along + across, from + along + across, from}));
}

QImage speedDigit(int digit)
{
    // Segments a..g in the usual order (top, upper right, lower right, bottom, lower left,
    // upper left, middle).
    static const int kSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    const qreal left = 3.5, right = 11.5, top = 3.5, middle = 15.5, bottom = 27.5, gap = 0.8;
    const QPointF ends[7][2] = {
        {{left + gap, top}, {right - gap, top}},
        {{right, top + gap}, {right, middle - gap}},
        {{right, middle + gap}, {right, bottom - gap}},
        {{left + gap, bottom}, {right - gap, bottom}},
        {{left, middle + gap}, {left, bottom - gap}},
        {{left, top + gap}, {left, middle - gap}},
        {{left + gap, middle}, {right - gap, middle}},
    };
    QPainterPath on, off;
    for (int s = 0; s < 7; ++s)
        addSegment((kSegments[digit] >> s) & 1 ? on : off, ends[s][0], ends[s][1], 1.6);
    QImage image = blankImage(15, 31, look::lcd);
    QPainter painter(&image);
    prepare(painter);
    painter.setPen(Qt::NoPen);
    painter.setBrush(look::lcdOff);
    painter.drawPath(off);
    painter.setPen(QPen(QColor(110, 235, 255, 60), 1.6));
    painter.setBrush(look::lcdOn);
    painter.drawPath(on);
    painter.end();
    return image;
}

QImage unitLabel(const SkinSet& skin, const QString& text)
{
    QImage image = skin.crop(130, QRect(553, 696, 65, 10));
    QPainter painter(&image);
    prepare(painter);
    QFont font = pixelFont(10);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
    const QFontMetricsF metrics(font);
    // Capitals only, centred on the strip's ten rows: no descender needs room.
    const qreal baseline = qRound((10 + metrics.capHeight()) / 2);
    const qreal width = metrics.horizontalAdvance(text) - 1.5;
    painter.setFont(font);
    painter.setPen(look::label);
    painter.drawText(QPointF(qRound((65 - width) / 2), baseline), text);
    painter.end();
    return image;
}

QImage iconOnBackground(const SkinSet& skin, const QRect& spot, Glyph glyph, const QRectF& box)
{
    QImage image = skin.crop(130, spot);
    QPainter painter(&image);
    prepare(painter);
    drawGlyph(painter, glyph, box, look::label);
    painter.end();
    return image;
}

} // namespace

void paintBarsAndDigits(SkinSet& skin)
{
    // The groove is straight from x 40 on, so a piece cut there fits every bar.
    skin.put(181, fillPiece(skin, QRect(33, 559, 5, 8), QRectF(0, 0, 12, 8), 4, 0));
    skin.put(182, fillPiece(skin, QRect(200, 559, 1, 8), QRectF(-2, 0, 5, 8), 0, 0));
    skin.put(183, fillPiece(skin, QRect(412, 559, 5, 8), QRectF(-7, 0, 12, 8), 0, 4));
    skin.put(184, thumb(skin, QRect(200, 554, 33, 20), 17));
    skin.put(194, thumb(skin, QRect(700, 552, 23, 20), 13));
    for (int digit = 0; digit < 10; ++digit)
        skin.put(243 + digit, speedDigit(digit));
    skin.put(185, unitLabel(skin, word(u"КМ/Ч", u"KM/H")));
    skin.put(186, unitLabel(skin, word(u"МИЛИ/Ч", u"MPH")));
    skin.put(187, unitLabel(skin, word(u"УЗЛЫ", u"KNOTS")));
}

namespace {

QImage listBadge(const QColor& fill, const std::function<void(QPainter&)>& mark)
{
    QImage image = blankImage(14, 14, fill.darker(160));
    QPainter painter(&image);
    prepare(painter);
    fillVertical(painter, QRectF(0, 0, 14, 14), fill.lighter(125), fill.darker(115), 2.5);
    mark(painter);
    painter.end();
    return image;
}

QImage scrollArrow(bool up)
{
    QImage image = blankImage(15, 13, QColor(0x23, 0x23, 0x23));
    QPainter painter(&image);
    prepare(painter);
    fillVertical(painter, QRectF(0.5, 0.5, 14, 12), QColor(58, 66, 80), QColor(28, 32, 40), 2);
    const qreal tip = up ? 3.5 : 9.5, base = up ? 8.5 : 4.5;
    painter.setPen(Qt::NoPen);
    painter.setBrush(look::label);
    painter.drawPolygon(QPolygonF({QPointF(7.5, tip), QPointF(11.5, base), QPointF(3.5, base)}));
    painter.end();
    return image;
}

QImage eventMarker(const SkinSet& skin)
{
    // Cut at the marker row; it points down at the strip below (y 486).
    QImage image = skin.crop(130, QRect(44, 466, 19, 19));
    QPainter painter(&image);
    prepare(painter);
    QPainterPath head;
    head.addEllipse(QPointF(9.5, 7.5), 7, 7);
    QPainterPath point;
    point.addPolygon(QPolygonF({QPointF(4, 11.5), QPointF(15, 11.5), QPointF(9.5, 18.8)}));
    const QPainterPath pin = head.united(point);
    painter.setPen(QPen(QColor(120, 30, 10), 1));
    painter.setBrush(look::alert);
    painter.drawPath(pin);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255));
    painter.drawRoundedRect(QRectF(8.5, 3, 2, 5.5), 1, 1);
    painter.drawEllipse(QPointF(9.5, 10.6), 1.1, 1.1);
    painter.end();
    return image;
}

} // namespace

void paintIndicatorIcons(SkinSet& skin)
{
    skin.put(
        191, iconOnBackground(skin, QRect(599, 553, 25, 20), Glyph::Gauge, QRectF(3, 1, 19, 18)));
    skin.put(192,
        iconOnBackground(skin, QRect(790, 553, 25, 20), Glyph::SpeakerMuted, QRectF(3, 1, 19, 18)));
    skin.put(
        193, iconOnBackground(skin, QRect(790, 553, 25, 20), Glyph::Speaker, QRectF(3, 1, 19, 18)));
    // List icons sit on white or on the green selection, so each is a whole badge.
    skin.put(195, listBadge(look::title, [](QPainter& p) {
        p.setPen(QPen(QColor(255, 255, 255), 1.6));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(3.5, 3.5, 7, 7), 100 * 16, 300 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255));
        p.drawPolygon(QPolygonF({QPointF(5.2, 1.6), QPointF(8.6, 3.7), QPointF(5.4, 5.8)}));
    }));
    skin.put(196, listBadge(look::alert, [](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255));
        p.drawRoundedRect(QRectF(6, 2.5, 2, 6.5), 1, 1);
        p.drawEllipse(QPointF(7, 11), 1.2, 1.2);
    }));
    skin.put(302, listBadge(QColor(222, 172, 28), [](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 22, 4));
        p.drawEllipse(QPointF(7, 4.6), 2.3, 2.3);
        p.drawRoundedRect(QRectF(3, 7.8, 8, 5), 2.5, 2.5);
    }));
    skin.put(205, scrollArrow(true));
    skin.put(206, scrollArrow(false));
    skin.put(267, eventMarker(skin));
}

} // namespace skintool
