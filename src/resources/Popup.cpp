#include "resources/Popup.h"

#include "resources/Fonts.h"

#include <QPainter>

namespace popup {

void drawFace(QPainter& painter, const QSize& size, const QString& title, int ruleEnd)
{
    painter.fillRect(QRect(QPoint(0, 0), size), kFace);
    painter.setPen(kFrame);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(0, 0, size.width() - 1, size.height() - 1);
    drawText(painter, {16, 9}, title, kTitle, 160);
    painter.fillRect(11, 39, ruleEnd - 11, 2, kRule);
}

void drawText(QPainter& painter, const QPoint& topLeft, const QString& text, const QColor& colour,
    int tenthsOfPoint)
{
    painter.setFont(fonts::pointFont(tenthsOfPoint));
    painter.setPen(colour);
    painter.drawText(QRect(topLeft, QSize(4000, 200)), Qt::AlignLeft | Qt::AlignTop, text);
}

void drawTextCentred(QPainter& painter, int width, int y, const QString& text, const QColor& colour,
    int tenthsOfPoint)
{
    painter.setFont(fonts::pointFont(tenthsOfPoint));
    painter.setPen(colour);
    painter.drawText(QRect(0, y, width, 200), Qt::AlignHCenter | Qt::AlignTop, text);
}

} // namespace popup
