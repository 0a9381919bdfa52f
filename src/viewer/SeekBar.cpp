#include "viewer/SeekBar.h"

#include "resources/Fonts.h"
#include "resources/Skin.h"
#include "viewer/BackBuffer.h"
#include "viewer/PlaybackLimits.h"
#include "viewer/TextOut.h"

#include <QPainter>

#include <algorithm>

namespace {

constexpr int kFillLeftX = 33;
constexpr int kFillY = 559;
constexpr int kColumnsX = 38;
constexpr int kFillRightX = 412;
constexpr int kThumbOffset = 36;
constexpr int kThumbY = 554;
constexpr int kThumbWidth = 33;
constexpr QPoint kElapsedAt(430, 553);
constexpr QPoint kTotalAt(498, 553);

QString clockText(const char* format, int seconds)
{
    // A step back from the first second reports a position before the start: shown as
    // zero rather than as a minus sign between the digits.
    const int p = std::max(seconds, 0);
    const int s = p % 60;
    return QString::asprintf(format, p / 600, p / 60 - (p / 600) * 10, s / 10, s % 10);
}

} // namespace

void SeekBar::setProgress(int progress)
{
    m_progress = std::clamp(progress, 0, kLength);
}

int SeekBar::progressAt(int second, int length)
{
    if (length < 1)
        return 0;
    return std::clamp(second * kLength / length, 0, kLength);
}

void SeekBar::follow(int displayedPosition, int length)
{
    if (length < 1)
        m_progress = 0;
    else if (displayedPosition <= length)
        setProgress(progressAt(displayedPosition, length));
}

int SeekBar::dragSeekTarget(int length) const
{
    return std::min(seekTarget(length), playback::lastSeekSecond(length));
}

int SeekBar::stripProgress(int x)
{
    if (x < 52)
        return 0;
    if (x > 394)
        return kLength;
    return x - 52;
}

int SeekBar::dragProgress(int x)
{
    if (x <= 51)
        return 0;
    if (x >= 395)
        return kLength;
    return x - 52;
}

bool SeekBar::thumbHit(QPoint point) const
{
    return QRect(m_progress + kThumbOffset, kThumbY, kThumbWidth, 20).contains(point);
}

const QColor SeekBar::kBandColour(60, 220, 110, 150);

int SeekBar::thumbCentre(int displayedPosition, int length)
{
    return kThumbOffset + kThumbWidth / 2 + progressAt(displayedPosition, length);
}

QRect SeekBar::bandRect(int from, int to, int length, bool fromEarlier, bool toLater)
{
    if (length < 1)
        return {};
    from = std::clamp(from, 0, length);
    to = std::clamp(to, 0, length);
    if (to <= from)
        return {};
    // Second s plays while the thumb shows s + 1.
    const int left = fromEarlier && from == 0 ? kTrack.left() : thumbCentre(from + 1, length);
    const int right = toLater && to == length ? kTrack.right() + 1 : thumbCentre(to, length);
    // A span of a second in a long recording still shows.
    return QRect(left, kTrack.top(), std::max(right - left, 2), kTrack.height());
}

void SeekBar::drawBand(BackBuffer& buffer, const QRect& band)
{
    if (band.isEmpty())
        return;
    QPainter painter(&buffer.image());
    painter.fillRect(band, kBandColour);
    // The marks themselves, opaque, so a span's ends read over the fill as well.
    const QColor edge = kBandColour.lighter(130);
    painter.fillRect(QRect(band.left(), band.top(), 1, band.height()), QColor(edge.rgb()));
    painter.fillRect(QRect(band.right(), band.top(), 1, band.height()), QColor(edge.rgb()));
    buffer.invalidate(band);
}

QString SeekBar::elapsedText(int seconds)
{
    return clockText("00:%d%d:%d%d", seconds);
}

QString SeekBar::totalText(int seconds)
{
    return clockText(" / 00:%d%d:%d%d", seconds);
}

void SeekBar::drawFill(BackBuffer& buffer) const
{
    buffer.restore(kBarRect);
    buffer.restore(kTimeRect);
    QPainter painter(&buffer.image());
    painter.drawImage(kFillLeftX, kFillY, skin::bitmap(181));
    const QImage& column = skin::bitmap(182);
    for (int i = 0; i < m_progress; ++i)
        painter.drawImage(kColumnsX + i, kFillY, column);
    if (m_progress == kLength)
        painter.drawImage(kFillRightX, kFillY, skin::bitmap(183));
}

void SeekBar::drawThumbAndTime(
    BackBuffer& buffer, int displayedPosition, int length, bool playing) const
{
    {
        QPainter painter(&buffer.image());
        painter.drawImage(m_progress + kThumbOffset, kThumbY, skin::bitmap(184));
        if (playing && length > 0) {
            painter.setFont(fonts::pointFont(120));
            painter.setPen(Qt::white);
            textOut(painter, kElapsedAt.x(), kElapsedAt.y(), elapsedText(displayedPosition));
            textOut(painter, kTotalAt.x(), kTotalAt.y(), totalText(length));
        }
    }
    buffer.invalidate(kBarRect);
    buffer.invalidate(kTimeRect);
}
