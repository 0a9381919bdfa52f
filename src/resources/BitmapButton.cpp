#include "resources/BitmapButton.h"

#include "resources/Skin.h"

#include <QPainter>

BitmapButton::BitmapButton(int id, QWidget* parent)
    : QAbstractButton(parent)
{
    setObjectName(QString::number(id));
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void BitmapButton::loadBitmaps(int normalId, int pressedId)
{
    setBitmaps(skin::bitmap(normalId), pressedId ? skin::bitmap(pressedId) : QImage());
}

void BitmapButton::setBitmaps(const QImage& normal, const QImage& pressed)
{
    m_normal = normal;
    m_pressed = pressed;
    if (!m_normal.isNull())
        resize(m_normal.size());
    update();
}

void BitmapButton::place(int x, int y, int width, int height)
{
    if (width > 0 && height > 0)
        setGeometry(x, y, width, height);
    else
        move(x, y);
}

QSize BitmapButton::sizeHint() const
{
    return m_normal.isNull() ? QSize(30, 30) : m_normal.size();
}

void BitmapButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QImage& image = (isDown() && !m_pressed.isNull()) ? m_pressed : m_normal;
    if (image.isNull()) {
        painter.fillRect(rect(), QColor(40, 40, 40));
        painter.setPen(QColor(150, 150, 150));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
        return;
    }
    painter.drawImage(0, 0, image);
}
