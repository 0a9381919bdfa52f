#include "viewer/PlayListPainter.h"

#include "resources/Skin.h"
#include "viewer/BackBuffer.h"
#include "viewer/PlayList.h"
#include "viewer/SeekBar.h"
#include "viewer/SpeedSlider.h"
#include "viewer/VolumeSlider.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

const QStringList kPaths{
    QStringLiteral("/media/card/DCIM/drf_20240501_120000.mp4"),
    QStringLiteral("/media/card/DCIM/evt_20240501_120105.mp4"),
    QStringLiteral("/media/card/DCIM/muevt_20240502_093000.mp4"),
};

bool sameImage(const QImage& image, QPoint at, const QImage& piece)
{
    return image.copy(QRect(at, piece.size())) == piece;
}

class PlayListPainterTest : public ::testing::Test
{
protected:
    int rowY(int row) const { return PlayList::kRowsTop + PlayList::kRowHeight * row; }
    QColor pixel(int x, int y) const { return buffer.image().pixelColor(x, y); }
    bool isClean(const QRect& rect) const
    {
        return buffer.image().copy(rect) == buffer.clean().copy(rect);
    }

    BackBuffer buffer{skin::bitmap(130)};
    PlayList list;
    PlayListPainter painter;
};

TEST_F(PlayListPainterTest, NamesDatesAndIconsComeFromThePath)
{
    EXPECT_EQ(PlayListPainter::dateText(kPaths[0]), QStringLiteral("2024.05.01"));
    EXPECT_EQ(PlayListPainter::dateText(kPaths[2]), QStringLiteral("2024.05.02"));
    EXPECT_EQ(PlayListPainter::namePart(kPaths[2]), QStringLiteral("muevt_20240502_093000.mp4"));
    EXPECT_EQ(PlayListPainter::namePart(QStringLiteral("/tmp/clip.mp4")), QString());
    EXPECT_EQ(PlayListPainter::iconId(kPaths[0]), 195);
    EXPECT_EQ(PlayListPainter::iconId(kPaths[1]), 196);
    EXPECT_EQ(PlayListPainter::iconId(kPaths[2]), 302);
    EXPECT_EQ(PlayListPainter::iconId(QStringLiteral("/tmp/clip.mp4")), -1);
}

TEST_F(PlayListPainterTest, SelectedRowIsFilledAndTheOthersKeepTheBackground)
{
    list.add(kPaths);
    list.press({700, rowY(1) + 4});
    painter.drawRows(buffer, list);
    // Right of the texts: the selection colour on row 1 only.
    EXPECT_EQ(pixel(980, rowY(1) + 1), PlayListPainter::kSelectionColour);
    EXPECT_EQ(pixel(980, rowY(1) + 17), PlayListPainter::kSelectionColour);
    EXPECT_EQ(pixel(980, rowY(0) + 9), buffer.clean().pixelColor(980, rowY(0) + 9));
    EXPECT_EQ(pixel(980, rowY(2) + 9), buffer.clean().pixelColor(980, rowY(2) + 9));
    EXPECT_TRUE(isClean({685, rowY(3), 40, 18 * 4}));
    // Type icons of each row, the event icon on the selection.
    EXPECT_TRUE(sameImage(buffer.image(), {700, rowY(0) + 2}, skin::bitmap(195)));
    EXPECT_TRUE(sameImage(buffer.image(), {700, rowY(1) + 2}, skin::bitmap(196)));
    EXPECT_TRUE(sameImage(buffer.image(), {700, rowY(2) + 2}, skin::bitmap(302)));
    // Black text on the selection, white text elsewhere.
    const QImage row1 = buffer.image().copy(727, rowY(1), 60, 18);
    const QImage row0 = buffer.image().copy(727, rowY(0), 60, 18);
    bool black = false;
    bool white = false;
    for (int y = 0; y < 18; ++y) {
        for (int x = 0; x < 60; ++x) {
            black = black || row1.pixelColor(x, y) == QColor(Qt::black);
            white = white || row0.pixelColor(x, y) == QColor(Qt::white);
        }
    }
    EXPECT_TRUE(black);
    EXPECT_TRUE(white);
    EXPECT_TRUE(buffer.takeDirty().contains(PlayList::kListRect));

    // Another selection moves the fill; drawing twice leaves the same pixels.
    list.press({700, rowY(0) + 4});
    painter.drawRows(buffer, list);
    const QImage once = buffer.image().copy(PlayList::kListRect);
    painter.drawRows(buffer, list);
    EXPECT_EQ(buffer.image().copy(PlayList::kListRect), once);
    EXPECT_EQ(pixel(980, rowY(0) + 1), PlayListPainter::kSelectionColour);
    EXPECT_NE(pixel(980, rowY(1) + 1), PlayListPainter::kSelectionColour);
}

TEST_F(PlayListPainterTest, ThumbIsShownOnlyWithMoreThanOnePage)
{
    list.add(kPaths);
    painter.drawRows(buffer, list);
    EXPECT_EQ(pixel(992, 700), PlayListPainter::kTrackColour);
    EXPECT_TRUE(sameImage(buffer.image(), {985, 637}, skin::bitmap(205)));
    EXPECT_TRUE(sameImage(buffer.image(), {985, 750}, skin::bitmap(206)));

    for (int i = 0; i < 6; ++i)
        list.add({QStringLiteral("/card/drf_20240503_1000%1.mp4").arg(i, 2, 10, QLatin1Char('0'))});
    painter.drawRows(buffer, list); // nine entries: thumb 652 to 701
    EXPECT_EQ(pixel(992, 652), PlayListPainter::kThumbColour);
    EXPECT_EQ(pixel(992, 700), PlayListPainter::kThumbColour);
    EXPECT_EQ(pixel(992, 701), PlayListPainter::kTrackColour);

    list.press(ListScrollBar::kDownArrow.center());
    painter.drawScrollBar(buffer, list);
    EXPECT_EQ(pixel(992, 699), PlayListPainter::kTrackColour);
    EXPECT_EQ(pixel(992, 747), PlayListPainter::kThumbColour);
    EXPECT_EQ(buffer.takeDirty(), QRegion(ListScrollBar::kColumn) + PlayList::kListRect);
}

TEST_F(PlayListPainterTest, HeaderDrawsItsLinesAndColumnTitles)
{
    painter.drawHeader(buffer);
    EXPECT_EQ(pixel(683, 635), PlayListPainter::kLineColour);
    EXPECT_EQ(pixel(1000, 635), PlayListPainter::kLineColour);
    EXPECT_EQ(pixel(725, 610), PlayListPainter::kLineColour);
    EXPECT_EQ(pixel(795, 764), PlayListPainter::kLineColour);
    EXPECT_FALSE(isClean({687, 613, 30, 18}));
    EXPECT_FALSE(isClean({850, 613, 60, 18}));
    // The rows keep the column lines between the texts.
    list.add(kPaths);
    painter.drawRows(buffer, list);
    EXPECT_EQ(pixel(725, rowY(1) + 9), PlayListPainter::kLineColour);
    EXPECT_EQ(pixel(795, rowY(5) + 9), PlayListPainter::kLineColour);
}

TEST_F(PlayListPainterTest, TitleShowsTheOpenRecordingAndSettlesTheThumb)
{
    painter.drawTitle(buffer, list);
    EXPECT_TRUE(isClean(PlayListPainter::kTitleRect));

    QStringList nine = kPaths;
    for (int i = 0; i < 6; ++i)
        nine.append(
            QStringLiteral("/card/evt_20240504_1100%1.mp4").arg(i, 2, 10, QLatin1Char('0')));
    list.add(nine);
    ASSERT_EQ(list.thumbRect().height(), 49);
    // Nothing opened yet: no name, but the thumb takes the usual rule.
    painter.drawTitle(buffer, list);
    EXPECT_TRUE(isClean(PlayListPainter::kTitleRect));
    EXPECT_EQ(list.thumbRect().height(), 48);

    list.press({700, rowY(2) + 4});
    ASSERT_TRUE(list.openSelected());
    painter.drawTitle(buffer, list);
    EXPECT_FALSE(isClean({25, 7, 150, 30}));
    // Left of the title's start and right of its rectangle nothing changes.
    EXPECT_TRUE(isClean({0, 0, 25, 40}));
    EXPECT_TRUE(isClean({325, 0, 20, 40}));
    const QRegion dirty = buffer.takeDirty();
    EXPECT_TRUE(dirty.contains(PlayListPainter::kTitleRect));
    EXPECT_TRUE(dirty.contains(PlayList::kListRect));
}

// The transport row and the list together on the real skin, as the window paints them. With
// ZYN_SHOT_DIR set the picture is saved there to be looked at.
TEST_F(PlayListPainterTest, LowerRightOfTheWindowOnTheSkin)
{
    QStringList entries = kPaths;
    for (int i = 0; i < 7; ++i)
        entries.append(QStringLiteral("/media/card/DCIM/evt_20240505_14%1000.mp4")
                           .arg(i, 2, 10, QLatin1Char('0')));
    list.add(entries);
    list.press({700, rowY(2) + 4});
    list.openSelected();
    SeekBar bar;
    bar.follow(23, 60);
    SpeedSlider speed;
    speed.moveTo(715);
    speed.apply();
    VolumeSlider volume(90);

    painter.drawTitle(buffer, list);
    painter.drawHeader(buffer);
    bar.draw(buffer, 23, 60, true);
    speed.draw(buffer);
    volume.draw(buffer);
    painter.drawRows(buffer, list);

    EXPECT_TRUE(sameImage(buffer.image(), {bar.progress() + 36, 554}, skin::bitmap(184)));
    EXPECT_EQ(pixel(980, rowY(2) + 9), PlayListPainter::kSelectionColour);
    EXPECT_EQ(pixel(992, 660), PlayListPainter::kThumbColour);

    const QString dir = qEnvironmentVariable("ZYN_SHOT_DIR");
    if (!dir.isEmpty()) {
        EXPECT_TRUE(buffer.image().save(QDir(dir).filePath(QStringLiteral("playlist.png"))));
    }
}

} // namespace
