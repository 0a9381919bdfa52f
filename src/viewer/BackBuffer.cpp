#include "viewer/BackBuffer.h"

#include <QPainter>

#include <cstring>

BackBuffer::BackBuffer(const QImage& background)
{
    setBackground(background);
}

void BackBuffer::setBackground(const QImage& background, bool copyToBack)
{
    m_clean = background.convertToFormat(QImage::Format_RGB32);
    if (copyToBack || m_back.size() != m_clean.size())
        m_back = m_clean.copy();
    if (m_shown.size() != m_back.size())
        m_shown = QImage();
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

void BackBuffer::markShown(const QRegion& region)
{
    if (m_shown.size() != m_back.size()) {
        m_shown = QImage(m_back.size(), m_back.format());
        // Nothing known shown yet: black, so that every first drawing counts as a change.
        m_shown.fill(Qt::black);
    }
    QPainter painter(&m_shown);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (const QRect& rect : region.intersected(m_back.rect()))
        painter.drawImage(rect.topLeft(), m_back, rect);
}

QRegion BackBuffer::unshown(const QRegion& region) const
{
    const QRegion area = region.intersected(m_back.rect());
    if (m_shown.size() != m_back.size())
        return area;
    QRegion differing;
    const int depth = m_back.depth() / 8;
    for (const QRect& rect : area) {
        const qsizetype bytes = qsizetype(rect.width()) * depth;
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            const uchar* back = m_back.constScanLine(y) + rect.left() * depth;
            const uchar* shown = m_shown.constScanLine(y) + rect.left() * depth;
            if (std::memcmp(back, shown, size_t(bytes)) != 0) {
                differing += rect;
                break;
            }
        }
    }
    return differing;
}
