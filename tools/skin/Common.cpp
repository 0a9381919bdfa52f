#include "SkinTool.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <cstdlib>

namespace skintool {

namespace {

QString g_family = QStringLiteral("DejaVu Sans");

} // namespace

const QImage& SkinSet::get(int id) const
{
    const auto it = m_images.find(id);
    if (it == m_images.end()) {
        // A family that crops a bitmap not painted yet is a bug in the painting order.
        std::fprintf(stderr, "zyn-skin: bitmap %d used before it was painted\n", id);
        std::abort();
    }
    return it->second;
}

void registerFontFace()
{
    const QString path = QStringLiteral("/usr/share/wine/fonts/tahoma.ttf");
    if (!QFile::exists(path))
        return;
    const int id = QFontDatabase::addApplicationFont(path);
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (!families.isEmpty())
        g_family = families.first();
}

QString fontFamily()
{
    return g_family;
}

QFont pixelFont(qreal pixels, bool bold)
{
    QFont font(g_family);
    font.setPixelSize(qRound(pixels));
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

QImage blankImage(int width, int height, const QColor& fill)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

void prepare(QPainter& painter)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
}

void fillVertical(
    QPainter& painter, const QRectF& rect, const QColor& top, const QColor& bottom, qreal radius)
{
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    if (radius > 0)
        painter.drawRoundedRect(rect, radius, radius);
    else
        painter.drawRect(rect);
    painter.restore();
}

void drawCentredText(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font,
    const QColor& colour)
{
    painter.save();
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(rect, Qt::AlignCenter, text);
    painter.restore();
}

// The title bar is shaded only vertically, so the window buttons painted over it fit
// wherever they sit, on the lock screen as on the full window.
void drawTitleBar(QPainter& painter, int width)
{
    fillVertical(painter, QRectF(0, 0, width, 38), QColor(30, 35, 44), QColor(9, 10, 14));
    painter.fillRect(QRectF(0, 0, width, 1), QColor(58, 66, 80));
    painter.fillRect(QRectF(0, 38, width, 2), look::rule);
}

void drawGroove(QPainter& painter, const QRectF& rect)
{
    const qreal radius = rect.height() / 2;
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(40, 46, 56));
    painter.drawRoundedRect(rect, radius, radius);
    painter.setBrush(QColor(0, 0, 0));
    painter.drawRoundedRect(rect.adjusted(0, 0, 0, -1), radius, radius);
    painter.setBrush(look::groove);
    painter.drawRoundedRect(rect.adjusted(0.6, 1, -0.6, -1), radius - 1, radius - 1);
    painter.restore();
}

void drawFill(QPainter& painter, const QRectF& rect, qreal leftRadius, qreal rightRadius)
{
    QPainterPath path;
    const qreal l = rect.left(), r = rect.right(), t = rect.top(), b = rect.bottom();
    path.moveTo(l + leftRadius, t);
    path.lineTo(r - rightRadius, t);
    if (rightRadius > 0)
        path.arcTo(QRectF(r - 2 * rightRadius, t, 2 * rightRadius, b - t), 90, -180);
    else
        path.lineTo(r, b);
    path.lineTo(l + leftRadius, b);
    if (leftRadius > 0)
        path.arcTo(QRectF(l, t, 2 * leftRadius, b - t), 270, -180);
    else
        path.lineTo(l, t);
    path.closeSubpath();
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0, look::fillLight);
    gradient.setColorAt(0.45, look::title);
    gradient.setColorAt(1, look::fillDark);
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    painter.drawPath(path);
    painter.restore();
}

void drawRaisedPanel(QPainter& painter, const QRectF& rect, qreal radius)
{
    painter.save();
    fillVertical(painter, rect, look::raisedTop, look::raisedBottom, radius);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(look::edge, 1));
    painter.drawRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    painter.setPen(QPen(QColor(70, 80, 96), 1));
    painter.drawLine(QPointF(rect.left() + radius, rect.top() + 1.5),
        QPointF(rect.right() - radius, rect.top() + 1.5));
    painter.restore();
}

void drawButtonBody(QPainter& painter, const QRectF& body, qreal radius, bool pressed)
{
    painter.save();
    // A soft drop shadow under the raised face; pressed buttons sink into it.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 120));
    painter.drawRoundedRect(body.translated(0, 1), radius, radius);
    if (pressed)
        fillVertical(painter, body, QColor(30, 142, 230), QColor(4, 58, 112), radius);
    else
        fillVertical(painter, body, QColor(58, 66, 80), QColor(20, 23, 30), radius);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(pressed ? look::label : QColor(96, 106, 122), 1));
    painter.drawRoundedRect(body.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    if (!pressed) {
        painter.setPen(QPen(QColor(255, 255, 255, 40), 1));
        painter.drawLine(QPointF(body.left() + radius, body.top() + 1.5),
            QPointF(body.right() - radius, body.top() + 1.5));
    }
    painter.restore();
}

void drawGlyphCaption(
    QPainter& painter, const QRectF& body, const GlyphCaption& caption, bool pressed)
{
    // The largest size up to the preferred one at which glyph and caption fit the face.
    const qreal gap = caption.glyphSize > 0 ? 4 : 0;
    const qreal room = body.width() - 8;
    qreal pixels = caption.pixels;
    QFont font = pixelFont(pixels);
    qreal textWidth = QFontMetricsF(font).horizontalAdvance(caption.text);
    while (caption.glyphSize + gap + textWidth > room && pixels > 9) {
        pixels -= 0.5;
        font = pixelFont(pixels);
        textWidth = QFontMetricsF(font).horizontalAdvance(caption.text);
    }
    const qreal left = qRound(body.center().x() - (caption.glyphSize + gap + textWidth) / 2);
    const qreal shift = pressed ? 1 : 0;
    if (caption.glyphSize > 0) {
        const QRectF glyphBox(left, body.center().y() - caption.glyphSize / 2 + shift,
            caption.glyphSize, caption.glyphSize);
        drawGlyph(painter, caption.glyph, glyphBox,
            pressed ? QColor(255, 255, 255) : caption.glyphColour);
    }
    painter.save();
    painter.setFont(font);
    painter.setPen(pressed ? QColor(255, 255, 255) : look::label);
    painter.drawText(
        QRectF(left + caption.glyphSize + gap, body.top() + shift, textWidth + 2, body.height()),
        Qt::AlignLeft | Qt::AlignVCenter, caption.text);
    painter.restore();
}

// A recessed screen: the inner rectangle stays flat (the player or the map covers it
// exactly), framed in grey with a dark bezel around.
void drawScreenWell(QPainter& painter, const QRectF& inner, const QColor& fill)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QRectF bezel = inner.adjusted(-5, -5, 5, 5);
    fillVertical(painter, bezel, QColor(22, 25, 31), QColor(10, 11, 14));
    painter.setPen(QColor(40, 46, 56));
    painter.drawRect(bezel.adjusted(0, 0, -1, -1));
    painter.setPen(look::frame);
    painter.drawRect(inner.adjusted(-1, -1, 0, 0));
    painter.fillRect(inner, fill);
    painter.restore();
}

} // namespace skintool
