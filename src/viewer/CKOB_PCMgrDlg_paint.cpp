// Painting: the back buffer is drawn in the window's order and handed to the screen in one
// copy. Handlers change state and mark what changed; one update() per batch follows.
#include "viewer/CKOB_PCMgrDlg.h"

#include "platform/StartupTrace.h"
#include "player/PVEXAdap.h"
#include "viewer/ListScrollBar.h"

#include <QPaintEvent>
#include <QPainter>

namespace {

// The top-left of the video area, under the player's window: where a text of the recording
// would stand while none plays.
constexpr QRect kVideoCorner{25, 55, 315, 80};
constexpr QRect kVideoCornerShown{QPoint(25, 55), QPoint(314, 79)};

} // namespace

void CKOB_PCMgrDlg::onDirty()
{
    // What a paint marks is on screen with that paint's own copy; what a handler marks goes
    // with the next batch, asked for once however many rectangles follow.
    if (m_painting || m_flushQueued)
        return;
    m_flushQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_flushQueued = false;
            flush();
        },
        Qt::QueuedConnection);
}

void CKOB_PCMgrDlg::flush()
{
    if (m_buffer.hasDirty())
        update(m_buffer.takeDirty());
}

void CKOB_PCMgrDlg::paintEvent(QPaintEvent* event)
{
    // Marked by handlers and not yet asked for: it stays marked for its own batch.
    const QRegion waiting = m_buffer.takeDirty();
    m_painting = true;
    // While the lock opens, the lock's picture stays until the full window replaces it.
    if (m_unlocked && !unlocking())
        paintUnlocked();
    {
        QPainter painter(this);
        for (const QRect& rect : event->region())
            painter.drawImage(rect, m_buffer.image(), rect);
    }
    m_buffer.markShown(event->region());
    // Every routine marks its own rectangles as it draws. Inside this paint's region its copy
    // has shown them; outside it only what really changed is asked for again, since asking for
    // all of it would paint for ever.
    const QRegion drawnOutside = m_buffer.takeDirty() - event->region();
    m_painting = false;
    const QRegion rest = (waiting - event->region()) + m_buffer.unshown(drawnOutside);
    if (!rest.isEmpty())
        m_buffer.invalidate(rest);
    static bool painted = false;
    platform::traceStartupOnce("first paint", painted);
}

void CKOB_PCMgrDlg::paintUnlocked()
{
    m_listPainter.drawTitle(m_buffer, m_list, m_status);
    m_listPainter.drawHeader(m_buffer);
    m_buffer.restore(SeekBar::kBarRect);
    m_buffer.restore(SeekBar::kTimeRect);
    paintEventMarkers();
    m_seekBar.drawFill(m_buffer);
    paintClipBand();
    paintEventTicks();
    m_seekBar.drawThumbAndTime(m_buffer, currentSecond() + 1, lengthSeconds(), m_playing);
    paintPanel();
    m_speed.draw(m_buffer);
    m_volume.draw(m_buffer);
    paintSpeedDigits();
    m_listPainter.drawRows(m_buffer, m_list);
}

void CKOB_PCMgrDlg::redrawPlaybackAreas()
{
    for (const QRect& area : {SeekBar::kBarRect, SeekBar::kTimeRect, GSensorGraph::kArea,
             PlayList::kListRect, kVideoCorner}) {
        m_buffer.restore(area);
    }
    for (const QRect& area : {SeekBar::kBarRect, SeekBar::kTimeRect, GSensorGraph::kArea,
             PlayList::kListRect, kVideoCornerShown, m_list.thumbRect()}) {
        m_buffer.invalidate(area);
    }
}

void CKOB_PCMgrDlg::redrawList()
{
    m_buffer.invalidate(PlayList::kListRect);
    m_buffer.invalidate(ListScrollBar::kColumn);
}
