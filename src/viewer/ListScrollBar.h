#pragma once

#include <QPoint>
#include <QRect>

// The play list's scroll bar: a 96-pixel track between two arrows with a thumb whose place
// shows the page. It knows the page only from its callers; PlayList keeps the page.
class ListScrollBar
{
public:
    static constexpr int kLeft = 985;
    static constexpr int kRight = 1000;
    static constexpr int kTrackTop = 652;
    static constexpr int kTrackBottom = 748;
    static constexpr int kTrackLength = kTrackBottom - kTrackTop;
    // Below this height a thumb is hard to hit and the per-page pixel rule stops working
    // (96 / pages reaches 0 beyond 96 pages), so thumbs never get shorter.
    static constexpr int kMinThumb = 8;

    static constexpr QRect kUpArrow{QPoint(985, 637), QPoint(999, 649)};
    static constexpr QRect kDownArrow{QPoint(985, 750), QPoint(999, 762)};
    static constexpr QRect kTrack{QPoint(kLeft, kTrackTop), QPoint(kRight - 1, kTrackBottom - 1)};
    // The whole column: arrows, track and the pixels between them.
    static constexpr QRect kColumn{QPoint(985, 637), QPoint(999, 763)};

    enum class Hit { None, PageUp, PageDown, Thumb };

    // Pixel rows [top, bottom) of the thumb; a full track until first placed.
    int top() const { return m_top; }
    int bottom() const { return m_bottom; }
    QRect thumbRect() const { return {kLeft, m_top, kRight - kLeft, m_bottom - m_top}; }

    // Places the thumb for a page of `pages` (at least 1). The usual rule shares the 96 track
    // pixels between the pages, the first 96 mod n pages one pixel further apart.
    void place(int page, int pages);
    // The rule used right after entries are added: 98 pixels shared evenly, so the last
    // page's thumb may reach two pixels under the track (the down arrow covers them).
    void placeAfterUpdate(int page, int pages);

    // Which part of the column a point is on: an arrow or the track beside the thumb turns
    // the page; the thumb counts only when there is more than one page.
    Hit hit(QPoint point, int pages) const;

    // Starts a drag of the thumb at a point.
    void grab(QPoint point) { m_lastPoint = point; }
    // Moves the grabbed thumb with the mouse. Returns the page the thumb now shows, or -1
    // for a point off the track (ignored, so a drag outside the column does not jump).
    int drag(QPoint point, int pages);

private:
    static bool usable(int pixelsPerPage) { return pixelsPerPage >= kMinThumb; }
    void placeShortThumb(int page, int pages);
    int pageOfTop(int pages) const;

    int m_top = kTrackTop;
    int m_bottom = kTrackBottom;
    QPoint m_lastPoint;
};
