#include "SkinTool.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

// The main window's background. Every region sits where the window's own drawing expects
// it: the rectangles below are the window's client coordinates.
namespace skintool {

namespace {

constexpr int kWidth = 1020;
constexpr int kHeight = 780;

void drawLogo(QPainter& painter, const QPointF& at)
{
    drawGlyph(painter, Glyph::Lens, QRectF(at.x(), at.y() + 1, 20, 20), look::title);
    painter.setFont(pixelFont(19, true));
    painter.setPen(look::title);
    painter.drawText(QPointF(at.x() + 26, at.y() + 18), QStringLiteral("ZYN"));
    QFont font = pixelFont(13);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 2.5);
    painter.setFont(font);
    painter.setPen(look::label);
    painter.drawText(QPointF(at.x() + 72, at.y() + 17), QStringLiteral("VIEWER"));
}

void drawCaption(QPainter& painter, const QPointF& at, const QString& text, qreal spacing = 1.2)
{
    QFont font = pixelFont(12, true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
    painter.setFont(font);
    painter.setPen(look::title);
    painter.drawText(at, text);
}

void paintFrameAndTitle(QPainter& painter)
{
    drawTitleBar(painter, kWidth);
    drawLogo(painter, QPointF(440, 8));
    // Title text (25, 7 to 325, 37) is drawn by the window over this plain bar.
    painter.setPen(QColor(46, 52, 64));
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.drawRect(0, 0, kWidth - 1, kHeight - 1);
    painter.setRenderHint(QPainter::Antialiasing, true);
}

void paintVideoArea(QPainter& painter)
{
    const QRectF video(24, 52, 640, 480);
    drawScreenWell(painter, video, look::screen);
    // A faint emblem while no player window covers the area; it keeps clear of the title
    // block at the top left and the event-marker row near the bottom.
    drawGlyph(painter, Glyph::Camera, QRectF(304, 232, 80, 80), QColor(17, 21, 29));
    // The event markers (y 466 to 485) point at this strip (35, 486 to 415, 493).
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(14, 17, 23));
    painter.drawRoundedRect(QRectF(35, 486, 380, 7), 3, 3);
    painter.setBrush(QColor(30, 38, 50));
    for (int i = 0; i <= 6; ++i)
        painter.drawRect(QRectF(52 + i * 57, 487, 1, 5));
}

void paintToolbar(QPainter& painter)
{
    drawRaisedPanel(painter, QRectF(733, 41, 275, 48), 6);
    painter.setPen(look::rule);
    painter.drawLine(QPointF(792.5, 48), QPointF(792.5, 82));
}

void paintMapArea(QPainter& painter)
{
    drawCaption(painter, QPointF(686, 112), word(u"КАРТА", u"MAP"));
    painter.fillRect(QRectF(684, 116, 310, 1), look::rule);
    const QRectF map(684, 122, 310, 410);
    drawScreenWell(painter, map, look::screen);
    // A hint of streets until the map page covers the area; dim enough that the red
    // no-internet text at y 255 stays readable.
    painter.save();
    painter.setClipRect(map);
    painter.setPen(QPen(QColor(11, 14, 19), 1));
    for (int x = 704; x < 994; x += 38)
        painter.drawLine(QPointF(x + 0.5, 122), QPointF(x + 0.5, 532));
    for (int y = 140; y < 532; y += 38)
        painter.drawLine(QPointF(684, y + 0.5), QPointF(994, y + 0.5));
    painter.setPen(QPen(QColor(15, 20, 27), 6, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(690, 470), QPointF(990, 330));
    painter.drawLine(QPointF(780, 122), QPointF(860, 532));
    painter.restore();
}

void paintControlBand(QPainter& painter)
{
    // Flat across its height so the opaque thumbs fit anywhere along their tracks.
    painter.fillRect(QRectF(1, 541, kWidth - 2, 45), look::band);
    painter.fillRect(QRectF(1, 540, kWidth - 2, 1), look::rule);
    painter.fillRect(QRectF(1, 586, kWidth - 2, 1), QColor(24, 27, 34));
    drawGroove(painter, QRectF(33, 559, 384, 8)); // seek bar: fill 33..416, thumb 36..411
    drawGroove(painter, QRectF(630, 557, 135, 8)); // speed: fill 630..764
    drawGroove(painter, QRectF(822, 557, 161, 8)); // volume: fill 822..982
    // Time text (white, from 430, 553) sits in a recessed display.
    painter.setPen(QPen(look::rule, 1));
    painter.setBrush(QColor(2, 3, 6));
    painter.drawRoundedRect(QRectF(425.5, 548.5, 154, 25), 4, 4);
}

void paintTransportDeck(QPainter& painter)
{
    drawRaisedPanel(painter, QRectF(22, 591, 292, 41), 8);
}

void paintGraphPanel(QPainter& painter)
{
    painter.setPen(QPen(look::frame, 1));
    painter.setBrush(QColor(5, 7, 10));
    painter.drawRoundedRect(QRectF(3.5, 640.5, 352, 135), 5, 5);
    drawCaption(painter, QPointF(10, 658), word(u"G-сенсор", u"G-sensor"), 0);
    painter.setRenderHint(QPainter::Antialiasing, false);
    // Sweep columns every five samples (35 pixels) from 82 to 292.
    painter.setPen(QPen(QColor(22, 28, 38), 1, Qt::DotLine));
    for (int x = 117; x < 292; x += 35)
        painter.drawLine(x, 666, x, 752);
    const int lines[] = {671, 690, 709, 728, 747};
    const char* labels[] = {"8.0 G", "4.0 G", "0 G", "-4.0 G", "-8.0 G"};
    painter.setFont(pixelFont(11));
    for (int i = 0; i < 5; ++i) {
        const int y = lines[i];
        painter.setPen(y == 709 ? QColor(52, 108, 160) : QColor(36, 52, 70));
        painter.drawLine(82, y, 292, y);
        painter.setPen(look::label);
        painter.drawText(QRect(10, y - 8, 64, 16), Qt::AlignRight | Qt::AlignVCenter,
            QString::fromLatin1(labels[i]));
    }
    painter.setPen(QColor(62, 72, 88));
    painter.drawLine(82, 666, 82, 752);
    painter.drawLine(292, 666, 292, 752);
    painter.setRenderHint(QPainter::Antialiasing, true);
    // Legend in the axis colours the window draws with.
    const QColor axes[]
        = {QColor(0xFF, 0x00, 0x6E), QColor(0x87, 0xFF, 0x00), QColor(0x00, 0xE1, 0xFF)};
    const char* names[] = {"X", "Y", "Z"};
    painter.setFont(pixelFont(11, true));
    for (int i = 0; i < 3; ++i) {
        const qreal y = 686 + i * 22;
        painter.fillRect(QRectF(306, y - 1, 16, 2), axes[i]);
        painter.setPen(axes[i]);
        painter.drawText(QPointF(330, y + 4), QString::fromLatin1(names[i]));
    }
}

void drawCompassRose(QPainter& painter, const QPointF& centre)
{
    // The face is light: the needle is drawn 3 pixels wide in dark blue (24, 62, 101).
    QRadialGradient face(centre, 27);
    face.setColorAt(0, QColor(236, 244, 246));
    face.setColorAt(0.8, QColor(196, 214, 220));
    face.setColorAt(1, QColor(150, 172, 182));
    painter.setPen(QPen(QColor(60, 70, 84), 2));
    painter.setBrush(face);
    painter.drawEllipse(centre, 27, 27);
    painter.setPen(QPen(QColor(150, 150, 150), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, 30.5, 30.5);
    for (int i = 0; i < 36; ++i) {
        const qreal a = i * M_PI / 18;
        const QPointF dir(std::sin(a), -std::cos(a));
        const bool major = i % 9 == 0;
        painter.setPen(QPen(major ? look::label : QColor(70, 96, 110), major ? 2 : 1));
        painter.drawLine(centre + dir * 32, centre + dir * (major ? 37 : 35));
        if (i % 3 == 0 && !major) {
            painter.setPen(QPen(QColor(120, 140, 150), 1));
            painter.drawLine(centre + dir * 22, centre + dir * 26);
        }
    }
    painter.setPen(QPen(QColor(170, 188, 196), 1, Qt::DotLine));
    painter.drawLine(centre + QPointF(-20, 0), centre + QPointF(20, 0));
    painter.drawLine(centre + QPointF(0, -20), centre + QPointF(0, 20));
    const char16_t* letters[] = {u"С", u"В", u"Ю", u"З"};
    const char16_t* lettersEnglish[] = {u"N", u"E", u"S", u"W"};
    painter.setFont(pixelFont(12, true));
    for (int i = 0; i < 4; ++i) {
        const qreal a = i * M_PI / 2;
        const QPointF at = centre + QPointF(std::sin(a), -std::cos(a)) * 46;
        painter.setPen(i == 0 ? QColor(255, 96, 80) : look::label);
        painter.drawText(QRectF(at.x() - 8, at.y() - 8, 16, 16), Qt::AlignCenter,
            word(letters[i], lettersEnglish[i]));
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(60, 70, 84));
    painter.drawEllipse(centre, 2.5, 2.5);
}

void paintTelemetryPanel(QPainter& painter)
{
    drawRaisedPanel(painter, QRectF(362, 592, 296, 126), 6);
    drawCompassRose(painter, QPointF(428, 656));
    painter.fillRect(QRectF(500, 604, 1, 102), look::rule);
    // Speed display: the digit bitmaps (15 x 31 at x 563, 578, 593, y 657) share its
    // flat colour, and the unit label sits below it at 553, 696.
    QFont caption = pixelFont(11, true);
    caption.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
    drawCentredText(
        painter, QRectF(535, 628, 101, 16), word(u"СКОРОСТЬ", u"SPEED"), caption, look::label);
    painter.setPen(QPen(QColor(60, 70, 84), 1));
    painter.setBrush(look::lcd);
    painter.drawRoundedRect(QRectF(554.5, 650.5, 62, 44), 4, 4);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(QRectF(556, 652, 60, 41), look::lcd);
    painter.setRenderHint(QPainter::Antialiasing, true);
    drawGlyph(painter, Glyph::Gauge, QRectF(512, 656, 30, 26), QColor(70, 96, 110));
}

void paintPositionField(QPainter& painter)
{
    // Black latitude and longitude lines are drawn from 360, 720 and 360, 737.
    painter.setRenderHint(QPainter::Antialiasing, false);
    fillVertical(painter, QRectF(360, 720, 300, 60), QColor(226, 238, 240), look::field);
    painter.setPen(QColor(150, 170, 176));
    painter.drawLine(360, 720, 659, 720);
    painter.drawLine(659, 720, 659, 779);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setFont(pixelFont(10, true));
    painter.setPen(QColor(120, 140, 148));
    painter.drawText(
        QRectF(560, 762, 94, 14), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("GPS"));
}

void paintListArea(QPainter& painter)
{
    // Header 683..1001 x 610..634 with the window's separators at x 725 and 795, then
    // seven rows of 18 pixels from y 638 on a dark body; scroll column 985..1000.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(look::frame);
    painter.setBrush(look::listBody);
    painter.drawRect(682, 609, 320, 158);
    fillVertical(painter, QRectF(683, 610, 319, 25), look::raisedTop, look::raisedBottom);
    painter.fillRect(QRectF(683, 636, 319, 131), look::listBody);
    for (int row = 0; row < 7; ++row) {
        if (row % 2 == 1)
            painter.fillRect(QRectF(685, 638 + row * 18, 300, 18), look::listStripe);
    }
    painter.fillRect(QRectF(985, 637, 15, 127), QColor(0x23, 0x23, 0x23));
    painter.setRenderHint(QPainter::Antialiasing, true);
}

} // namespace

void paintMainBackground(SkinSet& skin)
{
    QImage image = blankImage(kWidth, kHeight, look::panel);
    QPainter painter(&image);
    prepare(painter);
    paintFrameAndTitle(painter);
    paintVideoArea(painter);
    paintToolbar(painter);
    paintMapArea(painter);
    paintControlBand(painter);
    paintTransportDeck(painter);
    paintGraphPanel(painter);
    paintTelemetryPanel(painter);
    paintPositionField(painter);
    paintListArea(painter);
    painter.end();
    skin.put(130, image);
}

} // namespace skintool
