#include "viewer/PlayListPainter.h"

#include "recording/RecordingName.h"
#include "resources/Fonts.h"
#include "resources/Skin.h"
#include "resources/Strings.h"
#include "viewer/BackBuffer.h"
#include "viewer/ListScrollBar.h"
#include "viewer/PlayList.h"
#include "viewer/TextOut.h"

#include <QPainter>

const QColor PlayListPainter::kLineColour(0x85, 0xD2, 0xD9);
const QColor PlayListPainter::kSelectionColour(0xAA, 0xFF, 0x4B);
const QColor PlayListPainter::kTrackColour(0x23, 0x23, 0x23);
const QColor PlayListPainter::kThumbColour(0x87, 0x87, 0x87);
const QColor PlayListPainter::kDamagedColour(0xF0, 0x5A, 0x4B);
const QColor PlayListPainter::kDamagedSelectedColour(0x96, 0x00, 0x00);
const QColor PlayListPainter::kStatusColour(0xFF, 0xAA, 0x00);
const QColor PlayListPainter::kRecoverableColour(0xFF, 0xC8, 0x3C);
const QColor PlayListPainter::kRecoverableSelectedColour(0x8C, 0x50, 0x00);

namespace {

constexpr int kTitleSize = 150;
constexpr int kStatusSize = 90;
constexpr int kHeaderSize = 120;
constexpr int kRowSize = 100;
constexpr int kTypeColumn = 725;
constexpr int kDateColumn = 795;
// The column lines run from the header's top to one pixel under the last row.
constexpr int kLinesTop = 610;
constexpr int kLinesBottom = 764;

void drawColumnLines(QPainter& painter, int top)
{
    painter.setPen(PlayListPainter::kLineColour);
    painter.drawLine(kTypeColumn, top, kTypeColumn, kLinesBottom);
    painter.drawLine(kDateColumn, top, kDateColumn, kLinesBottom);
}

void paintScrollBar(QPainter& painter, const PlayList& list)
{
    painter.fillRect(ListScrollBar::kTrack, PlayListPainter::kTrackColour);
    if (list.pageCount() > 1)
        painter.fillRect(list.thumbRect(), PlayListPainter::kThumbColour);
    painter.drawImage(ListScrollBar::kUpArrow.topLeft(), skin::bitmap(205));
    painter.drawImage(ListScrollBar::kDownArrow.topLeft(), skin::bitmap(206));
}

} // namespace

QString PlayListPainter::namePart(const QString& path)
{
    const qsizetype start = recording::namePartStart(path);
    return start < 0 ? QString() : path.mid(start);
}

QString PlayListPainter::dateText(const QString& path)
{
    const QString date = recording::recordingDateText(path);
    return QStringLiteral("%1.%2.%3").arg(date.mid(0, 4), date.mid(4, 2), date.mid(6, 2));
}

int PlayListPainter::iconId(const QString& path)
{
    switch (recording::recordingType(path)) {
    case recording::Continuous:
        return 195;
    case recording::Event:
        return 196;
    case recording::ManualEvent:
        return 302;
    case recording::NotARecording:
        break;
    }
    return -1;
}

void PlayListPainter::drawTitle(BackBuffer& buffer, PlayList& list, const QString& status) const
{
    buffer.restoreAndInvalidate(kTitleRect);
    if (!status.isEmpty()) {
        QPainter painter(&buffer.image());
        painter.setClipRect(kTitleRect);
        painter.setFont(fonts::pointFont(kStatusSize));
        painter.setPen(kStatusColour);
        painter.drawText(kTitleRect, Qt::AlignLeft | Qt::AlignVCenter, status);
    }
    if (list.isEmpty())
        return;
    const QString name = status.isEmpty() ? namePart(list.currentPath()) : QString();
    if (!name.isEmpty()) {
        QPainter painter(&buffer.image());
        painter.setClipRect(kTitleRect);
        painter.setFont(fonts::pointFont(kTitleSize));
        painter.setPen(Qt::white);
        textOut(painter, kTitleRect.left(), kTitleRect.top(), name);
    }
    list.placeThumb();
    buffer.restoreAndInvalidate(PlayList::kListRect);
}

void PlayListPainter::drawHeader(BackBuffer& buffer) const
{
    buffer.restore(kHeaderRect);
    {
        QPainter painter(&buffer.image());
        painter.setPen(kLineColour);
        painter.drawLine(683, 635, 1000, 635);
        drawColumnLines(painter, kLinesTop);
        painter.setFont(fonts::pointFont(kHeaderSize));
        painter.setPen(Qt::white);
        textOut(painter, 687, 613, strings::text(131));
        textOut(painter, 742, 613, strings::text(132));
        textOut(painter, 850, 613, strings::text(133));
    }
    buffer.invalidate(kHeaderRect);
    for (int x : {kTypeColumn, kDateColumn})
        buffer.invalidate(QRect(QPoint(x, kLinesTop), QPoint(x, kLinesBottom)));
}

void PlayListPainter::drawRows(BackBuffer& buffer, const PlayList& list) const
{
    buffer.restore(PlayList::kListRect);
    buffer.restore(ListScrollBar::kColumn);
    {
        QPainter painter(&buffer.image());
        drawColumnLines(painter, PlayList::kRowsTop);
        painter.setFont(fonts::pointFont(kRowSize));
        const QRect rowsArea(QPoint(PlayList::kRowsLeft, PlayList::kRowsTop),
            QPoint(PlayList::kRowsRight - 1, PlayList::kListRect.bottom()));
        painter.setClipRect(rowsArea);
        const int rows = list.visibleRows();
        for (int i = 0; i < rows; ++i) {
            const int y = PlayList::kRowsTop + PlayList::kRowHeight * i;
            const int k = list.page() * PlayList::kRowsPerPage + i;
            const QString path = list.entry(k);
            const bool damaged = list.isDamaged(k);
            const bool recoverable = !damaged && list.isRecoverable(k);
            if (k == list.selected()) {
                painter.fillRect(PlayList::kRowsLeft, y, PlayList::kRowsRight - PlayList::kRowsLeft,
                    PlayList::kRowHeight, kSelectionColour);
                painter.setPen(damaged   ? kDamagedSelectedColour
                        : recoverable ? kRecoverableSelectedColour
                                      : QColor(Qt::black));
            } else {
                painter.setPen(damaged ? kDamagedColour
                        : recoverable  ? kRecoverableColour
                                       : QColor(Qt::white));
            }
            const int icon = iconId(path);
            if (icon >= 0)
                painter.drawImage(700, y + 2, skin::bitmap(icon));
            textOut(painter, 727, y, dateText(path));
            textOut(painter, 796, y, namePart(path));
            if (damaged) {
                // Struck through as well as coloured, for eyes that do not tell red from white.
                const int middle = y + PlayList::kRowHeight / 2;
                painter.drawLine(796, middle, PlayList::kRowsRight - 4, middle);
            }
        }
        painter.setClipping(false);
        paintScrollBar(painter, list);
    }
    buffer.invalidate(PlayList::kListRect);
    buffer.invalidate(ListScrollBar::kColumn);
}

void PlayListPainter::drawScrollBar(BackBuffer& buffer, const PlayList& list) const
{
    buffer.restore(ListScrollBar::kColumn);
    {
        QPainter painter(&buffer.image());
        paintScrollBar(painter, list);
    }
    buffer.invalidate(ListScrollBar::kColumn);
}
