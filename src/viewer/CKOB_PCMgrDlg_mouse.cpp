// The mouse: the window is dragged by its top strip; below it a press is tried on the thumbs,
// the list, the seek strip and the slider tracks, in that order, and a thumb follows the mouse
// until the button is let go.
#include "viewer/CKOB_PCMgrDlg.h"

#include "player/PVEXAdap.h"
#include "player/PVEXState.h"
#include "viewer/ListScrollBar.h"
#include "viewer/PlaybackLimits.h"

#include <QMouseEvent>
#include <QWindow>

namespace {

// What a drag of the seek thumb redraws: the bar's fill and thumb.
constexpr QRect kSeekDragArea{33, 554, 386, 23};
constexpr QRect kVolumeRedraw{772, 543, 223, 30};
constexpr QRect kVolumeShown{QPoint(772, 543), QPoint(1044, 582)};

} // namespace

void CKOB_PCMgrDlg::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QDialog::mousePressEvent(event);
        return;
    }
    event->accept();
    const QPoint point = event->position().toPoint();
    if (point.y() < kDragStrip && m_unlocked && acceptArchiveOffer(point))
        return;
    if (point.y() < kDragStrip) {
        // The top strip is the window's caption: the window manager moves the window where it
        // can, and the window follows the mouse itself where it cannot.
        if (windowHandle() && windowHandle()->startSystemMove())
            return;
        m_movingWindow = true;
        m_moveOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
        return;
    }
    if (!m_unlocked || unlocking() || m_dragging)
        return;
    if (!pressThumbs(point) && !pressList(point))
        pressTracks(point);
}

bool CKOB_PCMgrDlg::pressThumbs(QPoint point)
{
    if (!m_playing || !m_adapter)
        return false;
    if (m_seekBar.thumbHit(point)) {
        // The picture holds while the thumb is dragged; one that is held already stays so.
        if (!m_paused && m_adapter->current()->pause() == 0)
            m_paused = true;
        m_adapter->current()->trace();
        m_dragTarget = SeekThumb;
    } else if (m_speed.thumbHit(point)) {
        m_dragTarget = SpeedThumb;
    } else if (m_volume.thumbHit(point)) {
        m_dragTarget = VolumeThumb;
    } else {
        return false;
    }
    m_dragging = true;
    return true;
}

bool CKOB_PCMgrDlg::pressList(QPoint point)
{
    switch (m_list.press(point)) {
    case PlayList::Press::None:
        return false;
    case PlayList::Press::ThumbGrabbed:
        m_dragTarget = ListThumb;
        m_dragging = true;
        return true;
    case PlayList::Press::Row:
    case PlayList::Press::PageUp:
    case PlayList::Press::PageDown:
        redrawList();
        return true;
    }
    return false;
}

bool CKOB_PCMgrDlg::pressTracks(QPoint point)
{
    if (!m_playing || !m_adapter)
        return false;
    if (SeekBar::stripHit(point)) {
        if (!m_paused && m_adapter->current()->pause() == 0)
            m_paused = true;
        m_adapter->current()->trace();
        m_seekBar.setProgress(SeekBar::stripProgress(point.x()));
        seekPlayer(float(m_seekBar.seekTarget(lengthSeconds())), false);
        telemetryOnSeek();
        for (const QRect& area : {SeekBar::kBarRect, SeekBar::kTimeRect, GSensorGraph::kArea})
            m_buffer.invalidate(area);
        return true;
    }
    if (m_speed.trackHit(point)) {
        m_speed.moveTo(point.x());
        applySpeed();
        return true;
    }
    if (m_volume.trackHit(point)) {
        m_volume.moveTo(point.x());
        applyVolume();
        m_buffer.restore(kVolumeRedraw);
        m_buffer.invalidate(kVolumeShown);
        return true;
    }
    return false;
}

void CKOB_PCMgrDlg::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    if (m_movingWindow) {
        move(event->globalPosition().toPoint() - m_moveOffset);
        return;
    }
    if (m_dragging)
        dragTo(event->position().toPoint());
}

void CKOB_PCMgrDlg::dragTo(QPoint point)
{
    switch (m_dragTarget) {
    case SeekThumb:
        if (!m_playing)
            return;
        m_seekBar.setProgress(SeekBar::dragProgress(point.x()));
        m_buffer.restore(kSeekDragArea);
        telemetryOnSeek();
        for (const QRect& area : {SeekBar::kBarRect, SeekBar::kTimeRect, GSensorGraph::kArea})
            m_buffer.invalidate(area);
        return;
    case SpeedThumb:
        if (!m_playing || !m_adapter)
            return;
        m_adapter->pauseAfterSeek = 0;
        m_speed.moveTo(point.x());
        m_buffer.restore(m_speed.geometry().redraw);
        m_buffer.invalidate(m_speed.geometry().invalidate);
        return;
    case VolumeThumb:
        if (!m_playing)
            return;
        m_volume.moveTo(point.x());
        applyVolume();
        m_buffer.restore(kVolumeRedraw);
        m_buffer.invalidate(kVolumeShown);
        return;
    case ListThumb:
        switch (m_list.dragThumb(point)) {
        case PlayList::Drag::Ignored:
            return;
        case PlayList::Drag::Moved:
            m_buffer.invalidate(ListScrollBar::kColumn);
            return;
        case PlayList::Drag::PageChanged:
            redrawList();
            return;
        }
        return;
    case NoDrag:
        return;
    }
}

void CKOB_PCMgrDlg::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    m_movingWindow = false;
    if (m_dragging)
        endDrag();
}

void CKOB_PCMgrDlg::endDrag()
{
    if (m_playing && m_adapter) {
        if (m_dragTarget == SeekThumb)
            seekPlayer(float(m_seekBar.dragSeekTarget(lengthSeconds())), false);
        else if (m_dragTarget == SpeedThumb)
            applySpeed();
    }
    if (m_dragTarget == ListThumb) {
        m_list.releaseThumb();
        redrawList();
    }
    m_dragging = false;
    m_dragTarget = NoDrag;
}

void CKOB_PCMgrDlg::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() != Qt::LeftButton || !m_unlocked || unlocking() || m_dragging)
        return;
    // The click before has selected the row; a second one plays it unless it is open already.
    const QPoint point = event->position().toPoint();
    if (m_list.entryAt(point) < 0 || m_list.isEmpty()
        || !playback::canChangeRecording(currentSecond(), lengthSeconds())
        || m_list.current() == m_list.selected())
        return;
    m_list.press(point);
    redrawList();
    onPlay();
}
