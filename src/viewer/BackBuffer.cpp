#include "viewer/BackBuffer.h"

#include <QPainter>

BackBuffer::BackBuffer(const QImage& background)
{
    setBackground(background);
}

void BackBuffer::setBackground(const QImage& background, bool copyToBack)
{
    m_clean = background.convertToFormat(QImage::Format_RGB32);
    if (copyToBack || m_back.size() != m_clean.size())
        m_back = m_clean.copy();
}

void BackBuffer::restore(const QRect& rect)
{
    const QRect area = rect.intersected(m_back.rect()).intersected(m_clean.rect());
    if (area.isEmpty())
        return;
    QPainter painter(&m_back);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(area.topLeft(), m_clean, area);
}

void BackBuffer::invalidate(const QRect& rect)
{
    invalidate(QRegion(rect));
}

void BackBuffer::invalidate(const QRegion& region)
{
    const QRegion area = region.intersected(m_back.rect());
    if (area.isEmpty())
        return;
    const bool first = m_dirty.isEmpty();
    m_dirty += area;
    if (first && m_listener)
        m_listener();
}

QRegion BackBuffer::takeDirty()
{
    QRegion dirty;
    dirty.swap(m_dirty);
    return dirty;
}
