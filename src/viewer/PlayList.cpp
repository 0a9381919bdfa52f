#include "viewer/PlayList.h"

#include "recording/RecordingCheck.h"

#include <QSet>

#include <algorithm>

int PlayList::visibleRows() const
{
    if (m_page < m_pageCount - 1)
        return kRowsPerPage;
    const int rest = count() % kRowsPerPage;
    if (rest == 0)
        return isEmpty() ? 0 : kRowsPerPage;
    return rest;
}

QStringList PlayList::add(const QStringList& paths)
{
    QStringList added;
    // A whole card folder may come at once: the duplicate test must not grow with the square
    // of the list.
    QSet<QString> listed(m_entries.begin(), m_entries.end());
    for (const QString& path : paths) {
        if (path.isEmpty() || listed.contains(path))
            continue;
        listed.insert(path);
        m_entries.append(path);
        added.append(path);
    }
    recountPages();
    if (m_pageCount > 1)
        m_scrollBar.placeAfterUpdate(m_page, m_pageCount);
    return added;
}

void PlayList::recountPages()
{
    m_pageCount = std::max(1, (count() + kRowsPerPage - 1) / kRowsPerPage);
    // The list only grows between clears, but a page past the end would show no rows at all.
    m_page = std::min(m_page, m_pageCount - 1);
}

void PlayList::clear()
{
    m_entries.clear();
    m_pageCount = 1;
    m_page = 0;
    m_selected = 0;
    m_current = -1;
    m_currentPath.clear();
    m_damaged.clear();
    m_recoverable.clear();
    m_thumbHeld = false;
    m_scrollBar.place(0, 1);
}

bool PlayList::openSelected()
{
    if (m_selected < 0 || m_selected >= count())
        return false;
    m_current = m_selected;
    m_currentPath = m_entries.at(m_current);
    return true;
}

bool PlayList::isRecoverable(int index) const
{
    const QString path = entry(index);
    if (path.isEmpty())
        return false;
    auto known = m_recoverable.constFind(path);
    if (known == m_recoverable.constEnd())
        known = m_recoverable.insert(
            path, recording::isRecoverable(path));
    return *known;
}

void PlayList::markDamaged(int index, const QString& reason)
{
    if (index >= 0 && index < count())
        m_damaged.insert(m_entries.at(index), reason);
}

int PlayList::previousIndex() const
{
    if (isEmpty())
        return -1;
    return m_current > 0 ? m_current - 1 : count() - 1;
}

int PlayList::nextIndex() const
{
    if (isEmpty())
        return -1;
    return m_current < count() - 1 ? m_current + 1 : 0;
}

int PlayList::moveTo(int index)
{
    if (index < 0 || index >= count())
        return -1;
    m_selected = index;
    m_current = index;
    m_page = index / kRowsPerPage;
    return index;
}

int PlayList::entryAt(QPoint point) const
{
    const int rowsBottom = kRowsTop + kRowHeight * visibleRows();
    if (point.x() < kRowsLeft || point.x() >= kRowsRight || point.y() < kRowsTop
        || point.y() >= rowsBottom)
        return -1;
    return (point.y() - kRowsTop) / kRowHeight + m_page * kRowsPerPage;
}

PlayList::Press PlayList::press(QPoint point)
{
    const int row = entryAt(point);
    if (row >= 0) {
        m_selected = row;
        return Press::Row;
    }
    switch (m_scrollBar.hit(point, m_pageCount)) {
    case ListScrollBar::Hit::PageUp:
        if (m_page > 0)
            --m_page;
        placeThumb();
        return Press::PageUp;
    case ListScrollBar::Hit::PageDown:
        if (m_page < m_pageCount - 1)
            ++m_page;
        placeThumb();
        return Press::PageDown;
    case ListScrollBar::Hit::Thumb:
        m_scrollBar.grab(point);
        m_thumbHeld = true;
        return Press::ThumbGrabbed;
    case ListScrollBar::Hit::None:
        break;
    }
    return Press::None;
}

void PlayList::placeThumb()
{
    if (!m_thumbHeld)
        m_scrollBar.place(m_page, m_pageCount);
}

void PlayList::releaseThumb()
{
    m_thumbHeld = false;
    placeThumb();
}

PlayList::Drag PlayList::dragThumb(QPoint point)
{
    const int page = m_scrollBar.drag(point, m_pageCount);
    if (page < 0)
        return Drag::Ignored;
    if (page == m_page)
        return Drag::Moved;
    m_page = page;
    return Drag::PageChanged;
}
