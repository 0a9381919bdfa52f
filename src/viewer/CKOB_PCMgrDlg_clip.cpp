// The clip: the span marked with I and O or the context menu of the video area and the seek
// bar, drawn as a band on the seek bar's track, and the popup that exports it.
#include "viewer/CKOB_PCMgrDlg.h"

#include "clip/ClipSpan.h"
#include "player/PVEXAdap.h"
#include "recording/RecordingName.h"
#include "resources/Strings.h"
#include "settings/SettingPopup.h"
#include "viewer/ClipExportPopup.h"

#include <QContextMenuEvent>
#include <QFileInfo>
#include <QMenu>


std::optional<QDateTime> CKOB_PCMgrDlg::openRecordingStart() const
{
    if (!m_playing || !m_adapter || m_list.currentPath().isEmpty())
        return std::nullopt;
    return recording::recordingStart(m_list.currentPath());
}

void CKOB_PCMgrDlg::markClip(bool start)
{
    const std::optional<QDateTime> opened = openRecordingStart();
    if (!opened)
        return;
    const double position = m_adapter->position;
    if (start)
        m_clipMarks.setStart(m_list.currentPath(), ClipMarks::startMoment(*opened, position));
    else
        m_clipMarks.setEnd(m_list.currentPath(), ClipMarks::endMoment(*opened, position));
    m_buffer.invalidate(SeekBar::kBarRect);
}

void CKOB_PCMgrDlg::clearClipMarks()
{
    if (m_clipMarks.isEmpty())
        return;
    m_clipMarks.clear();
    m_buffer.invalidate(SeekBar::kBarRect);
}

void CKOB_PCMgrDlg::paintClipBand()
{
    const std::optional<QDateTime> opened = openRecordingStart();
    if (!opened)
        return;
    if (const auto part = m_clipMarks.partIn(*opened, lengthSeconds())) {
        SeekBar::drawBand(m_buffer,
            SeekBar::bandRect(
                part->from, part->to, lengthSeconds(), part->fromEarlier, part->toLater));
    }
}

QString CKOB_PCMgrDlg::clipFolder() const
{
    const QString folder1 = m_settings ? m_settings->folders().folders[1] : QString();
    if (!folder1.isEmpty() && QFileInfo(folder1).isDir())
        return folder1;
    const QStringList marked = m_clipMarks.recordings();
    const QString recording = m_list.currentPath().isEmpty() && !marked.isEmpty()
        ? marked.first()
        : m_list.currentPath();
    return recording.isEmpty() ? QString() : QFileInfo(recording).absolutePath();
}

void CKOB_PCMgrDlg::showClipPopup(const QStringList& recordings, const clip::Span& span)
{
    if (!m_clipPopup)
        m_clipPopup = new ClipExportPopup(this);
    m_clipPopup->setSpeedUnit(m_settings->workingRecord().speedUnit);
    m_clipPopup->offer(recordings, span, clipFolder());
}

void CKOB_PCMgrDlg::offerClip()
{
    const std::optional<QDateTime> opened = openRecordingStart();
    QStringList recordings = m_clipMarks.recordings();
    if (opened) {
        if (!recordings.contains(m_list.currentPath()))
            recordings.append(m_list.currentPath());
        showClipPopup(recordings, m_clipMarks.spanAround(*opened, lengthSeconds()));
    } else if (m_clipMarks.start() && m_clipMarks.end()) {
        showClipPopup(recordings, {*m_clipMarks.start(), *m_clipMarks.end()});
    }
}

QList<clip::Span> CKOB_PCMgrDlg::openEventSpans() const
{
    if (!openRecordingStart())
        return {};
    return clip::eventSpans(m_list.currentPath());
}

void CKOB_PCMgrDlg::offerEventClip()
{
    const std::optional<QDateTime> opened = openRecordingStart();
    const QList<clip::Span> spans = openEventSpans();
    if (!opened || spans.isEmpty())
        return;
    // The event nearest the picture: the one playing, or the closest before or after it.
    const QDateTime now = opened->addSecs(qint64(m_adapter->position));
    const auto distance = [&](const clip::Span& span) -> qint64 {
        if (now < span.from)
            return now.secsTo(span.from);
        if (now >= span.to)
            return span.to.secsTo(now);
        return 0;
    };
    clip::Span nearest = spans.first();
    for (const clip::Span& span : spans) {
        if (distance(span) < distance(nearest))
            nearest = span;
    }
    showClipPopup({m_list.currentPath()}, nearest);
}

bool CKOB_PCMgrDlg::showClipMenu(const QContextMenuEvent* event)
{
    const QPoint point = event->pos();
    if (!(kVideoArea.contains(point) || SeekBar::kBarRect.contains(point)))
        return false;
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("clipMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const bool open = openRecordingStart().has_value();
    QAction* start = menu->addAction(strings::kClipMarkStart, this, [this] { markClip(true); });
    start->setShortcut(Qt::Key_I);
    start->setEnabled(open);
    QAction* end = menu->addAction(strings::kClipMarkEnd, this, [this] { markClip(false); });
    end->setShortcut(Qt::Key_O);
    end->setEnabled(open);
    menu->addSeparator();
    menu->addAction(strings::kClipSave, this, &CKOB_PCMgrDlg::offerClip)
        ->setEnabled(open || (m_clipMarks.start() && m_clipMarks.end()));
    if (!openEventSpans().isEmpty())
        menu->addAction(strings::kClipSaveEvent, this, &CKOB_PCMgrDlg::offerEventClip);
    if (!m_clipMarks.isEmpty()) {
        menu->addSeparator();
        menu->addAction(strings::kClipClearMarks, this, &CKOB_PCMgrDlg::clearClipMarks);
    }
    // Not exec(): the window goes on playing and painting while the menu is open.
    menu->popup(event->globalPos());
    return true;
}
