#include "SkinTool.h"

#include <QPainter>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

// The password screen, its unlock animation and the application icon.
namespace skintool {

namespace {

constexpr int kWidth = 440;
constexpr int kHeight = 300;
const QRect kAnimationSpot(272, 192, 40, 40);

void paintLockBackground(QPainter& painter)
{
    drawTitleBar(painter, kWidth);
    drawGlyph(painter, Glyph::Lens, QRectF(12, 9, 18, 18), look::title);
    painter.setFont(pixelFont(15, true));
    painter.setPen(look::title);
    painter.drawText(QPointF(36, 24), QStringLiteral("ZYN"));
    painter.setFont(pixelFont(13));
    painter.setPen(look::label);
    painter.drawText(QPointF(74, 24), QStringLiteral("Viewer"));

    QRadialGradient glow(QPointF(220, 105), 60);
    glow.setColorAt(0, QColor(9, 121, 213, 70));
    glow.setColorAt(1, QColor(9, 121, 213, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(glow);
    painter.drawEllipse(QPointF(220, 105), 60, 60);
    drawGlyph(painter, Glyph::Lock, QRectF(196, 66, 48, 66), look::label);
    drawCentredText(painter, QRectF(0, 146, kWidth, 20), word(u"Введите пароль", u"Enter the password"),
        pixelFont(13), look::label);

    // The entry card: the window draws "Пароль" at 80, 200, a grey frame 160,198 to
    // 266,225 round the black edit, and the confirm button at 278, 197.
    drawRaisedPanel(painter, QRectF(62, 182, 264, 62), 8);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(QRect(160, 198, 107, 28), QColor(0, 0, 0));
    painter.setRenderHint(QPainter::Antialiasing, true);

    painter.setPen(QColor(46, 52, 64));
    painter.setBrush(Qt::NoBrush);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.drawRect(0, 0, kWidth - 1, kHeight - 1);
    painter.setRenderHint(QPainter::Antialiasing, true);
    drawCentredText(painter, QRectF(0, 268, kWidth, 20),
        word(u"Видеорегистратор · просмотр записей", u"Dash camera · recording viewer"), pixelFont(11), QColor(80, 100, 112));
}

// One frame of the unlock animation: a padlock that opens inside a ring of dots whose
// bright head turns by 40 degrees a frame, one full turn over the nine frames.
QImage animationFrame(const QImage& spot, int frame)
{
    QImage image = spot;
    QPainter painter(&image);
    prepare(painter);
    const QPointF centre(20, 20);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(4, 6, 10));
    painter.drawEllipse(centre, 19, 19);
    const qreal head = frame * 40.0;
    for (int i = 0; i < 18; ++i) {
        const qreal angle = i * 20.0;
        qreal behind = std::fmod(head - angle + 360.0, 360.0);
        const qreal strength = behind < 140 ? 1.0 - behind / 140.0 : 0.0;
        const qreal a = angle * M_PI / 180;
        const QPointF at = centre + QPointF(std::sin(a), -std::cos(a)) * 16;
        QColor dot
            = QColor::fromRgbF(0.09 + 0.6 * strength, 0.2 + 0.7 * strength, 0.3 + 0.7 * strength);
        painter.setBrush(dot);
        painter.drawEllipse(at, 1.4 + 1.2 * strength, 1.4 + 1.2 * strength);
    }
    // The shackle rises over the first six frames; the open lock turns green.
    const qreal openness = std::min(1.0, frame / 5.0);
    const QColor lockColour = openness < 1 ? look::label : look::selection;
    drawPadlock(painter, QRectF(12, 9, 16, 22), lockColour, openness);
    painter.end();
    return image;
}

QImage appIcon()
{
    QImage image = blankImage(32, 32, look::panel);
    QPainter painter(&image);
    prepare(painter);
    fillVertical(painter, QRectF(1, 1, 30, 30), QColor(40, 150, 235), QColor(4, 60, 120), 7);
    painter.setPen(QPen(QColor(133, 210, 217), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(1.5, 1.5, 29, 29), 7, 7);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(8, 12, 18));
    painter.drawEllipse(QPointF(16, 17), 10, 10);
    painter.setBrush(QColor(200, 235, 245));
    painter.drawEllipse(QPointF(16, 17), 6.5, 6.5);
    painter.setBrush(QColor(9, 40, 80));
    painter.drawEllipse(QPointF(16, 17), 3.5, 3.5);
    painter.setBrush(QColor(255, 255, 255));
    painter.drawEllipse(QPointF(14, 15), 1.3, 1.3);
    painter.setBrush(QColor(255, 60, 50));
    painter.drawEllipse(QPointF(26, 6), 2.5, 2.5);
    painter.end();
    return image;
}

} // namespace

void paintLockScreen(SkinSet& skin)
{
    QImage image = blankImage(kWidth, kHeight, look::panel);
    QPainter painter(&image);
    prepare(painter);
    paintLockBackground(painter);
    painter.end();
    skin.put(129, image);

    const QImage spot = image.copy(kAnimationSpot);
    for (int frame = 0; frame < 9; ++frame)
        skin.put(131 + frame, animationFrame(spot, frame));
    skin.put(128, appIcon());
}

} // namespace skintool
