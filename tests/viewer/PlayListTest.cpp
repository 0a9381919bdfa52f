#include "viewer/PlayList.h"

#include <gtest/gtest.h>

namespace {

QStringList recordings(int count, const QString& prefix = QStringLiteral("evt_"))
{
    QStringList paths;
    for (int i = 0; i < count; ++i)
        paths.append(QStringLiteral("/card/%1202405%2_1200%3.mp4")
                         .arg(prefix)
                         .arg(1 + i / 60, 2, 10, QLatin1Char('0'))
                         .arg(i % 60, 2, 10, QLatin1Char('0')));
    return paths;
}

PlayList listOf(int count)
{
    PlayList list;
    list.add(recordings(count));
    return list;
}

QPoint rowPoint(int row)
{
    return {700, PlayList::kRowsTop + PlayList::kRowHeight * row + 5};
}

QPoint middleOf(const QRect& rect)
{
    return rect.center();
}

// Presses the down arrow until the page stops moving; returns the presses that moved it.
int scrollToEnd(PlayList& list)
{
    int moves = 0;
    for (int last = -1; last != list.page(); ++moves) {
        last = list.page();
        EXPECT_EQ(list.press(ListScrollBar::kDownArrow.center()), PlayList::Press::PageDown);
    }
    return moves - 1;
}

TEST(PlayListTest, AnEmptyListShowsNoRowsAndNamesNoEntry)
{
    PlayList list;
    EXPECT_EQ(list.pageCount(), 1);
    EXPECT_EQ(list.visibleRows(), 0);
    EXPECT_EQ(list.current(), -1);
    EXPECT_EQ(list.selectPrevious(), -1);
    EXPECT_EQ(list.selectNext(), -1);
    EXPECT_FALSE(list.openSelected());
    EXPECT_EQ(list.entryAt(rowPoint(0)), -1);
    EXPECT_EQ(list.press(rowPoint(0)), PlayList::Press::None);
    EXPECT_EQ(list.current(), -1);
}

TEST(PlayListTest, AddingKeepsOrderAndTakesEveryPathOnce)
{
    PlayList list;
    const QStringList first = recordings(3);
    EXPECT_EQ(list.add(first), first);
    // Again through the selector, with a blank entry and a path twice in one batch.
    const QString fresh = QStringLiteral("/card/drf_20240502_080000.mp4");
    const QStringList added = list.add({first[1], QString(), fresh, fresh, first[0]});
    EXPECT_EQ(added, QStringList{fresh});
    EXPECT_EQ(list.entries(), (QStringList{first[0], first[1], first[2], fresh}));
    EXPECT_TRUE(list.add(first).isEmpty());
    EXPECT_EQ(list.count(), 4);
}

TEST(PlayListTest, PagesHoldSevenRowsAndTheLastPageTheRest)
{
    PlayList seven = listOf(7);
    EXPECT_EQ(seven.pageCount(), 1);
    EXPECT_EQ(seven.visibleRows(), 7);

    PlayList eight = listOf(8);
    EXPECT_EQ(eight.pageCount(), 2);
    EXPECT_EQ(eight.visibleRows(), 7);
    eight.press(ListScrollBar::kDownArrow.center());
    EXPECT_EQ(eight.page(), 1);
    EXPECT_EQ(eight.visibleRows(), 1);
    // Only the one row of the last page can be clicked.
    EXPECT_EQ(eight.press(rowPoint(0)), PlayList::Press::Row);
    EXPECT_EQ(eight.selected(), 7);
    EXPECT_EQ(eight.press(rowPoint(1)), PlayList::Press::None);
    EXPECT_EQ(eight.selected(), 7);

    PlayList fourteen = listOf(14);
    EXPECT_EQ(fourteen.pageCount(), 2);
    scrollToEnd(fourteen);
    EXPECT_EQ(fourteen.page(), 1);
    EXPECT_EQ(fourteen.visibleRows(), 7);
    EXPECT_EQ(fourteen.press(rowPoint(6)), PlayList::Press::Row);
    EXPECT_EQ(fourteen.selected(), 13);
}

TEST(PlayListTest, RowClicksSelectWithinTheRowsArea)
{
    PlayList list = listOf(14);
    list.press(ListScrollBar::kDownArrow.center());
    EXPECT_EQ(list.entryAt({685, 638}), 7);
    EXPECT_EQ(list.entryAt({984, 655}), 7);
    EXPECT_EQ(list.entryAt({700, 656}), 8);
    EXPECT_EQ(list.entryAt({700, 763}), 13);
    EXPECT_EQ(list.entryAt({684, 640}), -1);
    EXPECT_EQ(list.entryAt({700, 637}), -1);
    EXPECT_EQ(list.entryAt({700, 764}), -1);
    // The scroll bar column is not a row: the track above the thumb (700 to 748) turns back.
    EXPECT_EQ(list.press({985, 690}), PlayList::Press::PageUp);
    EXPECT_EQ(list.selected(), 0);
}

TEST(PlayListTest, PreviousAndNextWrapAndShowTheEntrysPage)
{
    PlayList list = listOf(15);
    // Nothing open: previous opens the last entry, next the first.
    EXPECT_EQ(list.previousIndex(), 14);
    EXPECT_EQ(list.nextIndex(), 0);

    EXPECT_EQ(list.selectPrevious(), 14);
    EXPECT_EQ(list.selected(), 14);
    EXPECT_EQ(list.current(), 14);
    EXPECT_EQ(list.page(), 2);
    // After the last entry the first follows (the end of a recording takes this way too).
    EXPECT_EQ(list.selectNext(), 0);
    EXPECT_EQ(list.page(), 0);
    EXPECT_EQ(list.selectPrevious(), 14);
    list.moveTo(6);
    EXPECT_EQ(list.selectNext(), 7);
    EXPECT_EQ(list.page(), 1);
    EXPECT_EQ(list.selectPrevious(), 6);
    EXPECT_EQ(list.page(), 0);
    EXPECT_EQ(list.moveTo(15), -1);
    EXPECT_EQ(list.current(), 6);
}

TEST(PlayListTest, OpeningTakesTheSelectedRowUntilTheListIsCleared)
{
    PlayList list = listOf(9);
    list.press(rowPoint(3));
    ASSERT_TRUE(list.openSelected());
    EXPECT_EQ(list.current(), 3);
    EXPECT_EQ(list.currentPath(), list.entry(3));
    // Selecting another row leaves the open one as it is.
    list.press(rowPoint(5));
    EXPECT_EQ(list.current(), 3);
    list.closeCurrent();
    EXPECT_EQ(list.current(), -1);
    EXPECT_EQ(list.currentPath(), list.entry(3));

    list.press(ListScrollBar::kDownArrow.center());
    list.clear();
    EXPECT_TRUE(list.isEmpty());
    EXPECT_EQ(list.pageCount(), 1);
    EXPECT_EQ(list.page(), 0);
    EXPECT_EQ(list.selected(), 0);
    EXPECT_EQ(list.current(), -1);
    EXPECT_TRUE(list.currentPath().isEmpty());
}

TEST(PlayListTest, EightEntriesThumbSpans49PixelsAfterTheUpdateAnd48AfterAPageChange)
{
    PlayList list = listOf(8);
    EXPECT_EQ(list.thumbRect(), QRect(985, 652, 15, 49));
    EXPECT_EQ(list.press(ListScrollBar::kDownArrow.center()), PlayList::Press::PageDown);
    EXPECT_EQ(list.thumbRect(), QRect(985, 700, 15, 48));
    // Arrow and track above the thumb both turn back.
    EXPECT_EQ(list.press({990, 660}), PlayList::Press::PageUp);
    EXPECT_EQ(list.page(), 0);
    EXPECT_EQ(list.thumbRect(), QRect(985, 652, 15, 48));
    EXPECT_EQ(list.press({990, 747}), PlayList::Press::PageDown);
    EXPECT_EQ(list.page(), 1);
    // At the last page the down arrow changes nothing but keeps the thumb in place.
    EXPECT_EQ(list.press(ListScrollBar::kDownArrow.center()), PlayList::Press::PageDown);
    EXPECT_EQ(list.page(), 1);
    EXPECT_EQ(list.thumbRect(), QRect(985, 700, 15, 48));

    // A fresh update on the last page uses the 98-pixel share again: its thumb ends two
    // pixels into the down arrow.
    list.add({QStringLiteral("/card/drf_20240509_090000.mp4")});
    EXPECT_EQ(list.thumbRect(), QRect(985, 701, 15, 49));
}

TEST(PlayListTest, ThumbSharesTheTrackByTheUsualRuleWhileItIsUsable)
{
    // Five pages: 96 = 5 x 19 + 1, the first page one pixel further from the second.
    PlayList five = listOf(35);
    QList<int> tops;
    for (int page = 0; page < 5; ++page) {
        if (page > 0)
            five.press(ListScrollBar::kDownArrow.center());
        tops.append(five.thumbRect().top());
        EXPECT_EQ(five.thumbRect().height(), 19);
    }
    EXPECT_EQ(tops, (QList<int>{652, 672, 691, 710, 729}));

    // Twelve pages still give 8-pixel thumbs by that rule, the last one ending on the track's
    // end.
    PlayList twelve = listOf(84);
    scrollToEnd(twelve);
    EXPECT_EQ(twelve.thumbRect(), QRect(985, 740, 15, 8));
}

TEST(PlayListTest, SevenHundredEntriesScrollToTheirEndWithAThumbThatCanBeGrabbed)
{
    PlayList list = listOf(700);
    EXPECT_EQ(list.pageCount(), 100);
    EXPECT_GE(list.thumbRect().height(), ListScrollBar::kMinThumb);
    int lastTop = list.thumbRect().top() - 1;
    for (int page = 1; page < 100; ++page) {
        list.press(ListScrollBar::kDownArrow.center());
        ASSERT_EQ(list.page(), page);
        const QRect thumb = list.thumbRect();
        ASSERT_EQ(thumb.height(), ListScrollBar::kMinThumb);
        ASSERT_GE(thumb.top(), lastTop);
        lastTop = thumb.top();
    }
    EXPECT_EQ(list.thumbRect().bottom() + 1, ListScrollBar::kTrackBottom);
    EXPECT_EQ(list.visibleRows(), 7);
    list.press(ListScrollBar::kDownArrow.center());
    EXPECT_EQ(list.page(), 99);
    EXPECT_EQ(list.press(rowPoint(6)), PlayList::Press::Row);
    EXPECT_EQ(list.selected(), 699);
    // The track above the thumb turns one page back.
    EXPECT_EQ(list.press({990, 655}), PlayList::Press::PageUp);
    EXPECT_EQ(list.page(), 98);
}

TEST(PlayListTest, SevenHundredEntriesDragToEitherEndAndInBetween)
{
    PlayList list = listOf(700);
    list.placeThumb();
    const QPoint grab = middleOf(list.thumbRect());
    ASSERT_EQ(list.press(grab), PlayList::Press::ThumbGrabbed);
    EXPECT_EQ(list.dragThumb({grab.x(), 700}), PlayList::Drag::PageChanged);
    EXPECT_NEAR(list.page(), 50, 2);
    EXPECT_EQ(list.dragThumb({grab.x(), 748}), PlayList::Drag::PageChanged);
    EXPECT_EQ(list.page(), 99);
    EXPECT_EQ(list.thumbRect().bottom() + 1, ListScrollBar::kTrackBottom);

    const QPoint again = middleOf(list.thumbRect());
    ASSERT_EQ(list.press(again), PlayList::Press::ThumbGrabbed);
    EXPECT_EQ(list.dragThumb({again.x(), 652}), PlayList::Drag::PageChanged);
    EXPECT_EQ(list.page(), 0);
    EXPECT_EQ(list.thumbRect().top(), ListScrollBar::kTrackTop);
}

TEST(PlayListTest, ThumbDragFollowsTheMouseAndIgnoresPointsOffTheTrack)
{
    PlayList list = listOf(8);
    list.placeThumb(); // 652 to 700
    ASSERT_EQ(list.press({990, 660}), PlayList::Press::ThumbGrabbed);
    EXPECT_EQ(list.dragThumb({990, 700}), PlayList::Drag::Moved); // top 692: still page 0
    EXPECT_EQ(list.thumbRect(), QRect(985, 692, 15, 48));
    EXPECT_EQ(list.dragThumb({1001, 710}), PlayList::Drag::Ignored);
    EXPECT_EQ(list.dragThumb({990, 749}), PlayList::Drag::Ignored);
    EXPECT_EQ(list.thumbRect().top(), 692);
    EXPECT_EQ(list.dragThumb({990, 708}), PlayList::Drag::PageChanged); // top 700
    EXPECT_EQ(list.page(), 1);
    EXPECT_EQ(list.thumbRect(), QRect(985, 700, 15, 48));
    // Past the end the thumb stops at the track's ends.
    EXPECT_EQ(list.dragThumb({990, 748}), PlayList::Drag::Moved);
    EXPECT_EQ(list.thumbRect(), QRect(985, 700, 15, 48));
    EXPECT_EQ(list.dragThumb({990, 652}), PlayList::Drag::PageChanged);
    EXPECT_EQ(list.thumbRect(), QRect(985, 652, 15, 48));
    EXPECT_EQ(list.page(), 0);
}

TEST(PlayListTest, ASinglePageHasNoThumbToGrab)
{
    PlayList list = listOf(5);
    list.placeThumb();
    EXPECT_EQ(list.press({990, 700}), PlayList::Press::None);
    EXPECT_EQ(list.press(ListScrollBar::kDownArrow.center()), PlayList::Press::PageDown);
    EXPECT_EQ(list.page(), 0);
}

} // namespace
