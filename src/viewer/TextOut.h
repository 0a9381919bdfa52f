#pragma once

#include <QFontMetrics>
#include <QPainter>
#include <QString>

// Draws a text whose character cell has its top-left corner at (x, y), the way the skin's
// text anchors are given; QPainter's own point is the baseline.
inline void textOut(QPainter& painter, int x, int y, const QString& text)
{
    painter.drawText(QPoint(x, y + painter.fontMetrics().ascent()), text);
}
