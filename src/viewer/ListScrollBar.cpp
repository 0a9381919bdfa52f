#include "viewer/ListScrollBar.h"

#include <algorithm>

void ListScrollBar::place(int page, int pages)
{
    pages = std::max(pages, 1);
    page = std::clamp(page, 0, pages - 1);
    const int m = kTrackLength / pages;
    const int r = kTrackLength % pages;
    if (!usable(m)) {
        placeShortThumb(page, pages);
        return;
    }
    m_top = kTrackTop + (page <= r ? page * (m + 1) : page * m + r);
    m_bottom = m_top + m;
    if (m_bottom > kTrackBottom) {
        m_top -= m_bottom - kTrackBottom;
        m_bottom = kTrackBottom;
    }
}

void ListScrollBar::placeAfterUpdate(int page, int pages)
{
    pages = std::max(pages, 1);
    page = std::clamp(page, 0, pages - 1);
    const int step = (kTrackLength + 2) / pages;
    if (!usable(step)) {
        placeShortThumb(page, pages);
        return;
    }
    m_top = kTrackTop + step * page;
    m_bottom = kTrackTop + step * (page + 1);
}

// Past a dozen pages the per-page share of the track is shorter than a usable thumb: the
// thumb keeps its minimum height and its top moves in proportion over the rest of the track,
// the first page at the top and the last one ending at the bottom.
void ListScrollBar::placeShortThumb(int page, int pages)
{
    const int travel = kTrackLength - kMinThumb;
    const int steps = pages - 1;
    m_top = kTrackTop + (page * travel + steps / 2) / steps;
    m_bottom = m_top + kMinThumb;
}

ListScrollBar::Hit ListScrollBar::hit(QPoint point, int pages) const
{
    const int x = point.x();
    const int y = point.y();
    const bool inColumn = x >= kLeft && x < kRight;
    if (kUpArrow.contains(point) || (inColumn && y >= kTrackTop && y < m_top))
        return Hit::PageUp;
    if (kDownArrow.contains(point) || (inColumn && y >= m_bottom && y < kTrackBottom))
        return Hit::PageDown;
    if (pages > 1 && thumbRect().contains(point))
        return Hit::Thumb;
    return Hit::None;
}

int ListScrollBar::pageOfTop(int pages) const
{
    const int offset = m_top - kTrackTop;
    const int m = kTrackLength / pages;
    int page = 0;
    if (usable(m)) {
        page = offset / m;
    } else {
        const int travel = kTrackLength - (m_bottom - m_top);
        page = travel > 0 ? (offset * (pages - 1) + travel / 2) / travel : 0;
    }
    return std::clamp(page, 0, pages - 1);
}

int ListScrollBar::drag(QPoint point, int pages)
{
    if (point.x() < kLeft || point.x() > kRight || point.y() < kTrackTop
        || point.y() > kTrackBottom)
        return -1;
    pages = std::max(pages, 1);
    const int dy = point.y() - m_lastPoint.y();
    m_top += dy;
    m_bottom += dy;
    const int height = m_bottom - m_top;
    int page = pageOfTop(pages);
    if (m_top < kTrackTop) {
        m_top = kTrackTop;
        m_bottom = kTrackTop + height;
        page = 0;
    }
    if (m_bottom > kTrackBottom) {
        m_bottom = kTrackBottom;
        m_top = kTrackBottom - height;
        page = pages - 1;
    }
    m_lastPoint = point;
    return page;
}
