#pragma once

#include "viewer/ListScrollBar.h"

#include <QHash>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

// The recordings chosen for playback: paths in the order added, without duplicates, shown
// seven rows a page, with the highlighted row, the open recording and the list's scroll bar.
// It decides which entry the transport commands and the mouse pick; opening it in the player,
// drawing and the guards that depend on playback stay with the window.
class PlayList
{
public:
    static constexpr int kRowsPerPage = 7;
    static constexpr int kRowHeight = 18;
    static constexpr int kRowsLeft = 685;
    static constexpr int kRowsRight = 985;
    static constexpr int kRowsTop = 638;
    // Rows and scroll bar: what a change of the list's content or page redraws.
    static constexpr QRect kListRect{QPoint(685, 638), QPoint(999, 763)};

    enum class Press { None, Row, PageUp, PageDown, ThumbGrabbed };
    enum class Drag { Ignored, Moved, PageChanged };

    const QStringList& entries() const { return m_entries; }
    int count() const { return int(m_entries.size()); }
    bool isEmpty() const { return m_entries.isEmpty(); }
    QString entry(int index) const { return m_entries.value(index); }

    int pageCount() const { return m_pageCount; }
    int page() const { return m_page; }
    int selected() const { return m_selected; }
    // Index of the open recording, -1 when none is open.
    int current() const { return m_current; }
    // Path of the recording opened last; empty once the list is cleared.
    const QString& currentPath() const { return m_currentPath; }

    // Rows on the shown page: 7, fewer on a partly filled last page, 0 for an empty list.
    int visibleRows() const;

    // Appends the paths that are not empty and not in the list yet (a path given twice is
    // taken once), recounts the pages and, with more than one page, places the thumb by the
    // rule for a fresh update. Returns the paths appended.
    QStringList add(const QStringList& paths);
    // Empties the list: one empty page, first row selected, nothing open.
    void clear();

    // Makes the selected row the open recording. False, changing nothing, when the selection
    // names no entry.
    bool openSelected();
    // Nothing open any more (stop); the list and its selection stay.
    void closeCurrent() { m_current = -1; }

    // The entry before the open one, the last one when the first or nothing is open.
    int previousIndex() const;
    // The entry after the open one, the first one after the last or when nothing is open:
    // also the entry that follows when a recording has played to its end.
    int nextIndex() const;
    // Selects an entry, makes it the open index and shows its page (previous, next, end of
    // a recording). Returns the index, or -1 for an empty list (nothing changes).
    int selectPrevious() { return moveTo(previousIndex()); }
    int selectNext() { return moveTo(nextIndex()); }
    int moveTo(int index);

    // Entries found damaged while the list played on by itself, with the reason.
    void markDamaged(int index, const QString& reason);
    QString damagedReason(int index) const { return m_damaged.value(entry(index)); }
    bool isDamaged(int index) const { return m_damaged.contains(entry(index)); }

    // A recording the camera never closed (the power went), which can be recovered. Found out
    // from the file once per entry, when first asked: the painter asks for the rows on show.
    bool isRecoverable(int index) const;

    // Entry under a point of the rows area, -1 off the shown rows.
    int entryAt(QPoint point) const;

    // A button press in the list: selects a row, turns the page by an arrow or the track
    // (re-placing the thumb) or grabs the thumb, which the caller then drags with dragThumb.
    Press press(QPoint point);
    // Moves a grabbed thumb; the page follows the thumb's top.
    Drag dragThumb(QPoint point);
    // Lets go of a grabbed thumb, which then settles at the place of the page it shows.
    void releaseThumb();
    bool thumbHeld() const { return m_thumbHeld; }

    QRect thumbRect() const { return m_scrollBar.thumbRect(); }
    // Re-places the thumb for the shown page by the usual rule. A thumb in the user's hand stays
    // where the mouse has it: the drag moves it by each mouse step, which is smaller than a
    // page's share of the track, so settling it at every repaint would hold it on its page.
    void placeThumb();

private:
    void recountPages();

    QStringList m_entries;
    int m_pageCount = 1;
    int m_page = 0;
    int m_selected = 0;
    int m_current = -1;
    QString m_currentPath;
    QHash<QString, QString> m_damaged; // path -> reason
    mutable QHash<QString, bool> m_recoverable; // path -> whether it can be recovered
    ListScrollBar m_scrollBar;
    bool m_thumbHeld = false;
};
