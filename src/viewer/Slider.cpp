#include "viewer/Slider.h"

#include "resources/Skin.h"
#include "viewer/BackBuffer.h"

#include <QPainter>

#include <algorithm>

Slider::Slider(const Geometry& geometry, int value)
    : m_geometry(geometry)
{
    setValue(value);
}

void Slider::setValue(int value)
{
    m_value = std::clamp(value, 0, m_geometry.maximum);
}

int Slider::valueAt(int x) const
{
    if (x <= m_geometry.lowX)
        return 0;
    if (x >= m_geometry.highX)
        return m_geometry.maximum;
    return std::clamp(x - m_geometry.offset, 0, m_geometry.maximum);
}

bool Slider::thumbHit(QPoint point) const
{
    return QRect(m_value + m_geometry.origin, kThumbY, kThumbWidth, kThumbHeight).contains(point);
}

void Slider::draw(BackBuffer& buffer) const
{
    const int iconId = m_value == 0 ? m_geometry.emptyIconId : m_geometry.iconId;
    const QImage& icon = skin::bitmap(iconId);
    const QRect iconRect(m_geometry.icon, icon.size());
    buffer.restore(m_geometry.redraw);
    buffer.restore(iconRect);
    {
        QPainter painter(&buffer.image());
        painter.drawImage(m_geometry.icon, icon);
        painter.drawImage(m_geometry.fillLeft, skin::bitmap(181));
        const QImage& column = skin::bitmap(182);
        for (int i = 0; i < m_value; ++i)
            painter.drawImage(m_geometry.origin + i, m_geometry.fillLeft.y(), column);
        if (m_value == m_geometry.maximum)
            painter.drawImage(m_geometry.fillRight, skin::bitmap(183));
        painter.drawImage(m_value + m_geometry.origin, kThumbY, skin::bitmap(194));
    }
    buffer.invalidate(m_geometry.invalidate);
    buffer.invalidate(iconRect);
}
