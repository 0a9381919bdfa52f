#include "SkinTool.h"

#include <QPainter>

// The main window's bitmap buttons (and the lock screen's confirm button). Each is painted
// over the piece of background it covers, so the opaque bitmap blends in.
namespace skintool {

namespace {

enum class Shape {
    Title, // flat, in the title bar
    Tool, // rounded square on the toolbar
    Round, // transport button
    Text, // caption in the bitmap
};

struct ButtonSpec
{
    int normalId;
    int pressedId; // 0 when the button has no pressed bitmap
    int backgroundId;
    QRect place;
    Shape shape;
    Glyph glyph;
    const char16_t* caption;
    const char16_t* captionEnglish = nullptr;
};

const ButtonSpec kButtons[] = {
    {143, 144, 130, {925, 1, 45, 25}, Shape::Title, Glyph::Minimise, nullptr},
    {141, 142, 130, {970, 1, 45, 25}, Shape::Title, Glyph::Close, nullptr},
    {145, 147, 130, {810, 46, 34, 34}, Shape::Tool, Glyph::Print, nullptr},
    {149, 151, 130, {849, 46, 34, 34}, Shape::Tool, Glyph::Camera, nullptr},
    {275, 274, 130, {888, 46, 34, 34}, Shape::Tool, Glyph::Save, nullptr},
    {235, 237, 130, {927, 46, 34, 34}, Shape::Tool, Glyph::Info, nullptr},
    {157, 159, 130, {966, 46, 34, 34}, Shape::Tool, Glyph::Gear, nullptr},
    {294, 0, 130, {740, 47, 35, 36}, Shape::Tool, Glyph::Usb, nullptr},
    {160, 162, 130, {33, 596, 30, 30}, Shape::Round, Glyph::Previous, nullptr},
    {166, 168, 130, {93, 596, 30, 30}, Shape::Round, Glyph::Pause, nullptr},
    {169, 171, 130, {153, 596, 30, 30}, Shape::Round, Glyph::Stop, nullptr},
    {172, 174, 130, {213, 596, 30, 30}, Shape::Round, Glyph::Play, nullptr},
    {175, 177, 130, {273, 596, 30, 30}, Shape::Round, Glyph::Next, nullptr},
    {178, 180, 130, {879, 587, 105, 22}, Shape::Text, Glyph::Folder, u"Открыть записи", u"Open recordings"},
    {264, 265, 130, {799, 587, 74, 22}, Shape::Text, Glyph::Close, u"Очистить", u"Clear"},
    {240, 242, 129, {278, 197, 29, 29}, Shape::Round, Glyph::Check, nullptr},
};

QColor glyphColour(bool pressed)
{
    return pressed ? QColor(255, 255, 255) : look::label;
}

void paintTitleButton(QPainter& painter, const ButtonSpec& spec, bool pressed)
{
    const QRectF box(0, 0, spec.place.width(), spec.place.height());
    if (pressed) {
        const QColor fill = spec.glyph == Glyph::Close ? QColor(196, 36, 28) : look::title;
        fillVertical(painter, box.adjusted(1, 1, -1, -1), fill.lighter(120), fill.darker(130), 3);
    }
    const qreal size = 11;
    const QRectF glyphBox(box.center().x() - size / 2, box.center().y() - size / 2, size, size);
    drawGlyph(painter, spec.glyph, glyphBox, glyphColour(pressed));
}

void paintToolButton(QPainter& painter, const ButtonSpec& spec, bool pressed)
{
    const QRectF body(1, 1, spec.place.width() - 2, spec.place.height() - 3);
    drawButtonBody(painter, body, 6, pressed);
    const qreal size = 20;
    QRectF glyphBox(body.center().x() - size / 2, body.center().y() - size / 2, size, size);
    if (pressed)
        glyphBox.translate(0, 1);
    drawGlyph(painter, spec.glyph, glyphBox, glyphColour(pressed));
}

void paintRoundButton(QPainter& painter, const ButtonSpec& spec, bool pressed)
{
    const qreal side = spec.place.width() - 2;
    const QRectF body(1, 1, side, side - 1);
    drawButtonBody(painter, body, body.height() / 2, pressed);
    const qreal size = spec.glyph == Glyph::Check ? 14 : 12;
    QRectF glyphBox(body.center().x() - size / 2, body.center().y() - size / 2, size, size);
    if (spec.glyph == Glyph::Play || spec.glyph == Glyph::Next)
        glyphBox.translate(1, 0);
    if (pressed)
        glyphBox.translate(0, 1);
    QColor colour = glyphColour(pressed);
    if (!pressed && spec.glyph == Glyph::Check)
        colour = look::selection;
    drawGlyph(painter, spec.glyph, glyphBox, colour);
}

void paintTextButton(QPainter& painter, const ButtonSpec& spec, bool pressed)
{
    const QRectF body(1, 0, spec.place.width() - 2, spec.place.height() - 1);
    drawButtonBody(painter, body, 4, pressed);
    // The faces are narrow: the caption alone, at the list header's size.
    drawGlyphCaption(
        painter, body, {spec.glyph, 0, look::title, word(spec.caption, spec.captionEnglish), 12}, pressed);
}

QImage paintButton(const SkinSet& skin, const ButtonSpec& spec, bool pressed)
{
    QImage image = skin.crop(spec.backgroundId, spec.place);
    QPainter painter(&image);
    prepare(painter);
    switch (spec.shape) {
    case Shape::Title:
        paintTitleButton(painter, spec, pressed);
        break;
    case Shape::Tool:
        paintToolButton(painter, spec, pressed);
        break;
    case Shape::Round:
        paintRoundButton(painter, spec, pressed);
        break;
    case Shape::Text:
        paintTextButton(painter, spec, pressed);
        break;
    }
    painter.end();
    return image;
}

} // namespace

void paintMainButtons(SkinSet& skin)
{
    for (const ButtonSpec& spec : kButtons) {
        skin.put(spec.normalId, paintButton(skin, spec, false));
        if (spec.pressedId != 0)
            skin.put(spec.pressedId, paintButton(skin, spec, true));
    }
}

} // namespace skintool
