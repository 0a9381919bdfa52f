#pragma once

// Reading the main window's back buffer back: which skin bitmap sits where, and whether a
// rectangle still shows the clean background.

#include "QtPrinters.h"
#include "resources/Skin.h"
#include "viewer/BackBuffer.h"

#include <QImage>
#include <QRect>

#include <cstdlib>

namespace skinprobe {

inline BackBuffer skinBuffer()
{
    return BackBuffer(skin::bitmap(130));
}

inline bool showsBitmap(const QImage& image, QPoint at, int bitmapId)
{
    const QImage piece = skin::bitmap(bitmapId).convertToFormat(QImage::Format_RGB32);
    return image.copy(QRect(at, piece.size())) == piece;
}

// The digit (0 to 9) whose bitmap is shown at `at`, or -1.
inline int digitAt(const QImage& image, QPoint at)
{
    for (int digit = 0; digit < 10; ++digit) {
        if (showsBitmap(image, at, 243 + digit))
            return digit;
    }
    return -1;
}

// The three speed digits as a text such as "041" ('?' for a position that shows none).
inline QString speedDigits(const BackBuffer& buffer)
{
    QString text;
    for (int x : {563, 578, 593}) {
        const int digit = digitAt(buffer.image(), QPoint(x, 657));
        text += digit < 0 ? QChar(u'?') : QChar(u'0' + digit);
    }
    return text;
}

inline bool isClean(const BackBuffer& buffer, const QRect& area)
{
    return buffer.image().copy(area) == buffer.clean().copy(area);
}

// Pixels of exactly this colour inside the area.
inline int countColour(const QImage& image, const QRect& area, QColor colour)
{
    int n = 0;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            n += image.pixelColor(x, y) == colour;
    return n;
}

// Pixels close to a colour inside the area: anti-aliased text has few of exactly its colour.
inline int countNear(const QImage& image, const QRect& area, QColor colour, int tolerance = 60)
{
    int n = 0;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            n += std::abs(c.red() - colour.red()) <= tolerance
                && std::abs(c.green() - colour.green()) <= tolerance
                && std::abs(c.blue() - colour.blue()) <= tolerance;
        }
    }
    return n;
}

// Pixels that differ from the clean background inside the area.
inline int changedPixels(const BackBuffer& buffer, const QRect& area)
{
    int n = 0;
    const QRect inside = area.intersected(buffer.image().rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            n += buffer.image().pixel(x, y) != buffer.clean().pixel(x, y);
    return n;
}

} // namespace skinprobe
