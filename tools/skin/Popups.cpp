#include "SkinTool.h"

#include <QPainter>
#include <QPolygonF>

// Pieces of the skinned popups (information, password, settings, save). The popups paint a
// black panel with a grey one-pixel frame; their pieces are painted over that panel.
namespace skintool {

namespace {

struct CaptionButton
{
    int normalId;
    int pressedId;
    QSize size;
    Glyph glyph;
    const char16_t* caption;
    const char16_t* captionEnglish;
};

const CaptionButton kCaptionButtons[] = {
    {210, 212, {86, 29}, Glyph::Check, u"ОК", u"OK"},
    {220, 222, {86, 29}, Glyph::Camera, u"Захват", u"Capture"},
    {223, 225, {86, 29}, Glyph::Close, u"Выход", u"Exit"},
    {228, 230, {86, 29}, Glyph::Save, u"Сохранить", u"Save"},
    {213, 215, {120, 27}, Glyph::Folder, u"Выбрать папку", u"Choose folder"},
};

QImage captionButton(const CaptionButton& spec, bool pressed)
{
    QImage image = blankImage(spec.size.width(), spec.size.height(), look::panel);
    QPainter painter(&image);
    prepare(painter);
    const QRectF body(1, 1, spec.size.width() - 2, spec.size.height() - 3);
    drawButtonBody(painter, body, 5, pressed);
    const qreal glyphSize = spec.glyph == Glyph::Close || spec.glyph == Glyph::Check ? 9 : 11;
    const QColor glyphColour = spec.glyph == Glyph::Check ? look::selection : look::title;
    drawGlyphCaption(painter, body,
        {spec.glyph, glyphSize, glyphColour, word(spec.caption, spec.captionEnglish), 12.5}, pressed);
    painter.end();
    return image;
}

// The close box sits in the popup's top right corner, on its grey top frame line.
QImage closeBox(bool pressed)
{
    QImage image = blankImage(45, 23, look::panel);
    QPainter painter(&image);
    prepare(painter);
    if (pressed)
        fillVertical(painter, QRectF(1, 2, 43, 20), QColor(226, 60, 48), QColor(150, 24, 18), 3);
    painter.fillRect(QRectF(0, 0, 45, 1), look::frame);
    drawGlyph(painter, Glyph::Close, QRectF(17, 7, 10, 10),
        pressed ? QColor(255, 255, 255) : look::label);
    painter.end();
    return image;
}

QImage listArrow(bool listOpen)
{
    QImage image = blankImage(25, 25, look::panel);
    QPainter painter(&image);
    prepare(painter);
    drawButtonBody(painter, QRectF(1, 1, 23, 22), 3, false);
    const qreal tip = listOpen ? 9 : 16, base = listOpen ? 15 : 10;
    painter.setPen(Qt::NoPen);
    painter.setBrush(look::label);
    painter.drawPolygon(QPolygonF({QPointF(12.5, tip), QPointF(17.5, base), QPointF(7.5, base)}));
    painter.end();
    return image;
}

QImage checkBox(bool checked)
{
    QImage image = blankImage(25, 25, look::panel);
    QPainter painter(&image);
    prepare(painter);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(look::frame);
    painter.setBrush(QColor(0, 0, 0));
    painter.drawRect(3, 3, 18, 18);
    painter.setPen(QColor(60, 66, 76));
    painter.drawRect(4, 4, 16, 16);
    painter.setRenderHint(QPainter::Antialiasing, true);
    if (checked)
        drawGlyph(painter, Glyph::Check, QRectF(6, 6, 13, 13), look::selection);
    painter.end();
    return image;
}

// The level control's track: the thumb (33 wide) travels its whole width; the ticks
// stand where the thumb's centre lies for each of the five levels.
QImage levelTrack()
{
    QImage image = blankImage(246, 20, look::panel);
    QPainter painter(&image);
    prepare(painter);
    drawGroove(painter, QRectF(0, 4, 246, 8));
    painter.setPen(QPen(look::label, 1));
    for (int level = 0; level < 5; ++level) {
        const qreal x = qRound(level * 42.8 + 21.4 + 16.5) + 0.5;
        painter.drawLine(QPointF(x, 14), QPointF(x, 18));
    }
    painter.end();
    return image;
}

} // namespace

void paintPopupPieces(SkinSet& skin)
{
    skin.put(207, closeBox(false));
    skin.put(209, closeBox(true));
    for (const CaptionButton& spec : kCaptionButtons) {
        skin.put(spec.normalId, captionButton(spec, false));
        skin.put(spec.pressedId, captionButton(spec, true));
    }
    skin.put(216, listArrow(true));
    skin.put(217, listArrow(false));
    skin.put(226, checkBox(false));
    skin.put(227, checkBox(true));
    skin.put(233, levelTrack());
}

} // namespace skintool
