#include "files/EventFileUp.h"
#include "files/InfinityFileUp.h"
#include "files/ParkingFileUp.h"
#include "files/RecordingCheckList.h"

#include <QCheckBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

class RecordingListPageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        page = std::make_unique<InfinityFileUp>(nullptr);
        page->resize(336, 326);
        page->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(page.get()));
        list = page->list();
    }

    void fill(int count)
    {
        QStringList names;
        for (int i = 0; i < count; ++i)
            names << QString::asprintf("drf_20240501_%06d.mp4", i);
        list->appendNames(names);
        page->UpdateCounter();
    }

    void select(std::initializer_list<int> rows)
    {
        list->clearSelection();
        for (int row : rows)
            list->selectionModel()->select(
                list->model()->index(row, 0), QItemSelectionModel::Select);
    }

    void clickBox(int row)
    {
        list->scrollToItem(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->checkBoxRect(row).center());
    }

    QList<int> checkedRows() const
    {
        QList<int> rows;
        for (int row = 0; row < list->count(); ++row) {
            if (list->isChecked(row))
                rows << row;
        }
        return rows;
    }

    void clickSelectAll() { QTest::mouseClick(page->selectAllBox(), Qt::LeftButton); }

    std::unique_ptr<RecordingListPage> page;
    RecordingCheckList* list = nullptr;
};

} // namespace

TEST_F(RecordingListPageTest, ControlsCarryTheirIdsAndTheCounterStartsEmpty)
{
    EXPECT_EQ(page->counterText(), "[ 000 / 000 ]");
    EXPECT_EQ(page->selectAllBox()->text(), QStringLiteral("Выберите все"));
    EXPECT_EQ(page->findChild<QLabel*>("1250")->text(), "[ 000 / 000 ]");
    EXPECT_EQ(page->findChild<RecordingCheckList*>("1077"), list);

    EventFileUp events(nullptr);
    ParkingFileUp manual(nullptr);
    EXPECT_NE(events.findChild<QLabel*>("1253"), nullptr);
    EXPECT_NE(events.findChild<QCheckBox*>("1248"), nullptr);
    EXPECT_NE(manual.findChild<RecordingCheckList*>("1254"), nullptr);
    EXPECT_NE(manual.findChild<QCheckBox*>("1255"), nullptr);
    EXPECT_NE(manual.findChild<QLabel*>("1257"), nullptr);
}

TEST_F(RecordingListPageTest, SelectAllAndNoneCountEveryItemAndTheFieldGrows)
{
    clickSelectAll();
    EXPECT_EQ(page->counterText(), "[ 000 / 000 ]");
    clickSelectAll();
    EXPECT_EQ(page->counterText(), "[ 000 / 000 ]");

    fill(12);
    clickSelectAll();
    EXPECT_EQ(page->counterText(), "[ 012 / 012 ]");
    EXPECT_EQ(checkedRows().size(), 12);
    clickBox(3);
    EXPECT_EQ(page->counterText(), "[ 011 / 012 ]");
    EXPECT_FALSE(list->isChecked(3));
    EXPECT_TRUE(page->selectAllBox()->isChecked());
    clickSelectAll();
    EXPECT_EQ(page->counterText(), "[ 000 / 012 ]");
    EXPECT_TRUE(checkedRows().isEmpty());

    list->clear();
    fill(1000);
    EXPECT_EQ(page->counterText(), "[ 000 / 1000 ]");
}

TEST_F(RecordingListPageTest, ABoxClickOnASelectedItemSetsEverySelectedItem)
{
    fill(8);
    QSignalSpy changed(list, &RecordingCheckList::checkChanged);
    select({1, 2, 4});
    clickBox(2);
    EXPECT_EQ(checkedRows(), (QList<int>{1, 2, 4}));
    EXPECT_EQ(page->counterText(), "[ 003 / 008 ]");
    EXPECT_EQ(list->selectedItems().size(), 3); // the selection stays
    EXPECT_EQ(changed.size(), 1);

    // The new state is the clicked item's toggle, taken by all: a mixed selection agrees.
    select({0, 1, 2});
    clickBox(0);
    EXPECT_EQ(checkedRows(), (QList<int>{0, 1, 2, 4}));
    clickBox(1);
    EXPECT_EQ(checkedRows(), (QList<int>{4}));

    // A box of an unselected item toggles that item alone and selects it.
    select({5, 6});
    clickBox(7);
    EXPECT_EQ(checkedRows(), (QList<int>{4, 7}));
    EXPECT_EQ(list->selectedItems(), QList<QListWidgetItem*>{list->item(7)});
    EXPECT_EQ(page->counterText(), "[ 002 / 008 ]");

    // A click on the name, beside the box, only selects.
    const int before = changed.size();
    const QRect text = list->visualItemRect(list->item(5));
    QTest::mouseClick(
        list->viewport(), Qt::LeftButton, {}, QPoint(text.right() - 20, text.center().y()));
    EXPECT_EQ(checkedRows(), (QList<int>{4, 7}));
    EXPECT_EQ(changed.size(), before);
}

TEST_F(RecordingListPageTest, SpaceTogglesTheCurrentItemWithTheSelection)
{
    fill(9);
    list->setFocus();
    list->setCurrentRow(2, QItemSelectionModel::NoUpdate);
    select({2, 3, 4, 5, 6});
    QSignalSpy changed(list, &RecordingCheckList::checkChanged);
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_EQ(checkedRows(), (QList<int>{2, 3, 4, 5, 6}));
    EXPECT_EQ(page->counterText(), "[ 005 / 009 ]");
    EXPECT_EQ(list->selectedItems().size(), 5);
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_TRUE(checkedRows().isEmpty());
    EXPECT_EQ(changed.size(), 2);
}

TEST_F(RecordingListPageTest, SpaceOnAnUnselectedCaretTogglesThatItemAlone)
{
    fill(9);
    const auto clickName = [&](int row, Qt::KeyboardModifiers modifiers) {
        const QRect text = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers,
            QPoint(text.right() - 20, text.center().y()));
    };
    // Rows 2 to 5 selected by click and Shift+click; Ctrl+click takes row 4 out of the
    // selection and leaves the caret on it.
    clickName(2, Qt::NoModifier);
    clickName(5, Qt::ShiftModifier);
    clickName(4, Qt::ControlModifier);
    ASSERT_EQ(list->currentRow(), 4);
    ASSERT_FALSE(list->item(4)->isSelected());
    ASSERT_EQ(list->selectedItems().size(), 3);

    QSignalSpy changed(list, &RecordingCheckList::checkChanged);
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_EQ(checkedRows(), (QList<int>{4}));
    EXPECT_EQ(page->counterText(), "[ 001 / 009 ]");
    EXPECT_EQ(changed.size(), 1);

    // Ctrl+Down moves the caret without selecting: row 6 alone, and back again.
    QTest::keyClick(list, Qt::Key_Down, Qt::ControlModifier);
    QTest::keyClick(list, Qt::Key_Down, Qt::ControlModifier);
    ASSERT_EQ(list->currentRow(), 6);
    ASSERT_FALSE(list->item(6)->isSelected());
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_EQ(checkedRows(), (QList<int>{4, 6}));
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_EQ(checkedRows(), (QList<int>{4}));

    // On a selected row the selection goes with it again.
    QTest::keyClick(list, Qt::Key_Up, Qt::ControlModifier);
    QTest::keyClick(list, Qt::Key_Up, Qt::ControlModifier);
    QTest::keyClick(list, Qt::Key_Up, Qt::ControlModifier);
    ASSERT_EQ(list->currentRow(), 3);
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_EQ(checkedRows(), (QList<int>{2, 3, 4, 5}));
    EXPECT_EQ(list->selectedItems().size(), 3);
    EXPECT_EQ(changed.size(), 4);
}

TEST_F(RecordingListPageTest, ChecksSetByCodeAreNotNotified)
{
    fill(4);
    QSignalSpy changed(list, &RecordingCheckList::checkChanged);
    list->setChecked(1, true);
    list->setAllChecked(true);
    clickSelectAll(); // the box checks the items itself and shows its own count
    page->ClearChecks();
    EXPECT_EQ(changed.size(), 0);
}

TEST_F(RecordingListPageTest, ShowingOrHidingThePageClearsItsChecks)
{
    fill(6);
    clickSelectAll();
    ASSERT_EQ(page->counterText(), "[ 006 / 006 ]");
    page->hide();
    EXPECT_TRUE(checkedRows().isEmpty());
    EXPECT_FALSE(page->selectAllBox()->isChecked());
    EXPECT_EQ(page->counterText(), "[ 000 / 006 ]");

    list->setChecked(0, true);
    page->show();
    EXPECT_TRUE(checkedRows().isEmpty());
    EXPECT_EQ(list->count(), 6); // the names stay
}
