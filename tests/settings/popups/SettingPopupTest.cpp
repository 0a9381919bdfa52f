#include "PopupFixture.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace {

const QRect kCheckBox(21, 147, 25, 25);
const QRect kArrow(251, 79, 25, 25);

TEST_F(PopupTest, EachModeLaysOutItsButtonsFromTheMainWindowsCurrentPlace)
{
    open(SettingPopup::Capture);
    EXPECT_EQ(popup->geometry(), QRect(324, 155, 377, 380));
    EXPECT_EQ(button(1045)->geometry(), QRect(320, 0, 45, 23));
    EXPECT_EQ(button(1046)->geometry(), QRect(231, 79, 120, 27));
    EXPECT_EQ(button(1047)->geometry(), QRect(88, 295, 86, 29));
    EXPECT_EQ(button(1048)->geometry(), QRect(198, 295, 86, 29));
    EXPECT_TRUE(button(1046)->isVisible());
    EXPECT_EQ(shown(button(1047)->geometry()), bitmap(220));

    // The main window was dragged since it last handed its rectangle over.
    main.setGeometry(100, 50, 1020, 780);
    open(SettingPopup::FileSaving);
    EXPECT_EQ(popup->geometry(), QRect(424, 205, 377, 380));
    EXPECT_TRUE(button(1046)->isVisible());
    EXPECT_EQ(shown(button(1047)->geometry()), bitmap(228));

    open(SettingPopup::ViewSettings);
    EXPECT_FALSE(button(1046)->isVisible());
    EXPECT_EQ(shown(button(1047)->geometry()), bitmap(228));
    EXPECT_EQ(popup->getMode(), SettingPopup::ViewSettings);
}

TEST_F(PopupTest, ThirtyFramesBoxFlipsOnlyInCaptureMode)
{
    open(SettingPopup::Capture);
    EXPECT_EQ(shown(kCheckBox), bitmap(226));
    click(30, 155);
    EXPECT_TRUE(popup->thirtyFrames());
    EXPECT_EQ(shown(kCheckBox), bitmap(227));
    click(46, 160); // just outside
    EXPECT_TRUE(popup->thirtyFrames());
    click(21, 147);
    EXPECT_FALSE(popup->thirtyFrames());

    open(SettingPopup::FileSaving);
    click(30, 155);
    EXPECT_FALSE(popup->thirtyFrames());
}

TEST_F(PopupTest, UnitListOpensClosesAndChoosesByRow)
{
    open(SettingPopup::ViewSettings);
    EXPECT_EQ(shown(kArrow), bitmap(217));
    click(260, 90);
    EXPECT_FALSE(popup->unitListClosed());
    EXPECT_EQ(shown(kArrow), bitmap(216));
    click(260, 90);
    EXPECT_TRUE(popup->unitListClosed());

    const struct
    {
        int y;
        int unit;
    } rows[] = {{190, 2}, {110, 0}, {140, 1}, {104, 0}, {127, 0}, {128, 1}, {152, 1}, {153, 2},
        {177, 2}, {179, 2}, {203, 2}};
    for (const auto& row : rows) {
        click(260, 90);
        ASSERT_FALSE(popup->unitListClosed());
        click(100, row.y);
        EXPECT_EQ(popup->workingRecord().speedUnit, row.unit) << "y " << row.y;
        EXPECT_TRUE(popup->unitListClosed());
    }
    // y 178 comes to a fourth row that is not there: the click is ignored, the list stays.
    click(260, 90);
    click(100, 178);
    EXPECT_EQ(popup->workingRecord().speedUnit, 2);
    EXPECT_FALSE(popup->unitListClosed());
    click(260, 90);
    // With the list closed the same place is nothing (the password box is further left).
    click(100, 110);
    EXPECT_EQ(popup->workingRecord().speedUnit, 2);
}

TEST_F(PopupTest, AStoredUnitOutOfRangeIsDrawnAsNoneAndCanBeChosenAgain)
{
    ViewerSettings record = popup->workingRecord();
    record.speedUnit = 7;
    popup->setRecord(record);
    open(SettingPopup::ViewSettings);
    const QImage box = shown(QRect(24, 81, 200, 20));
    for (int x = 0; x < box.width(); ++x)
        ASSERT_EQ(QColor(box.pixel(x, 5)), QColor(4, 0, 0)) << "no unit name at x " << x;
    click(260, 90);
    click(100, 140);
    EXPECT_EQ(popup->workingRecord().speedUnit, 1);
}

TEST_F(PopupTest, LevelMovesOnlyWithTheMouseNotWithAPress)
{
    ViewerSettings record = popup->workingRecord();
    record.level = 3;
    popup->setRecord(record);
    open(SettingPopup::ViewSettings);
    EXPECT_EQ(popup->levelPosition(), 149);
    clickButton(1048); // closing without touching keeps level 3 (149 / 42.8)
    EXPECT_EQ(popup->getRecord().level, 3);

    record.level = 2;
    popup->setRecord(record);
    open(SettingPopup::ViewSettings);
    ASSERT_EQ(popup->levelPosition(), 107);
    // A press at the right edge of the hit box (107 + 26 to 107 + 59) and no move: no change.
    press(165, 94);
    release(165, 94);
    EXPECT_EQ(popup->levelPosition(), 107);
    EXPECT_EQ(level(), 2);
    // A tremble below the drag threshold: no change either.
    press(165, 94);
    moveTo(170, 95);
    EXPECT_EQ(popup->levelPosition(), 107);
    // Past it the control follows the mouse from where it was taken, without the jump to
    // x - 37 (143, level 3) that taking it at its edge would give.
    moveTo(181, 95);
    EXPECT_EQ(popup->levelPosition(), 123);
    EXPECT_EQ(level(), 2);
    moveTo(600, 95);
    release(600, 95);
    EXPECT_EQ(popup->levelPosition(), 213);
    EXPECT_EQ(level(), 4);
    press(240, 94);
    moveTo(0, 94);
    release(0, 94);
    EXPECT_EQ(popup->levelPosition(), 0);
    EXPECT_EQ(level(), 0);
}

TEST_F(PopupTest, TheArrowIsNotHiddenByTheLevelControlAtTheRightEnd)
{
    ViewerSettings record = popup->workingRecord();
    record.level = 4;
    popup->setRecord(record);
    open(SettingPopup::ViewSettings);
    press(229, 94);
    moveTo(500, 94);
    release(500, 94);
    ASSERT_EQ(popup->levelPosition(), 213); // hit box 239 to 272 now lies over the arrow
    click(260, 90);
    EXPECT_FALSE(popup->unitListClosed());
    click(255, 100);
    EXPECT_TRUE(popup->unitListClosed());
    EXPECT_EQ(popup->levelPosition(), 213);
    // Beside the arrow the control is still taken.
    press(245, 94);
    moveTo(200, 94);
    release(200, 94);
    EXPECT_EQ(popup->levelPosition(), 168);
    EXPECT_EQ(level(), 3);
}

TEST_F(PopupTest, PasswordBoxOpensThePanelAndCancellingSwitchesProtectionOff)
{
    main.setGeometry(40, 30, 1020, 780);
    open(SettingPopup::ViewSettings);
    PasswordSetting* panel = popup->passwordPanel();
    click(30, 155);
    EXPECT_EQ(popup->workingRecord().passwordOn, 1);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->geometry().topLeft(), QPoint(40 + 374, 30 + 220));
    EXPECT_EQ(shown(kCheckBox), bitmap(227));

    QTest::mouseClick(panel->findChild<QAbstractButton*>("1066"), Qt::LeftButton);
    EXPECT_EQ(popup->workingRecord().passwordOn, 0);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(shown(kCheckBox), bitmap(226));

    // Unticking the box hides the panel without a word.
    click(30, 155);
    ASSERT_TRUE(panel->isVisible());
    click(30, 155);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(popup->workingRecord().passwordOn, 0);
    EXPECT_TRUE(boxes.texts.isEmpty());

    // Four digits confirmed: stored as typed, protection stays on.
    click(30, 155);
    QTest::keyClicks(panel->findChild<QLineEdit*>("1068"), QStringLiteral("0815"));
    QTest::keyClicks(panel->findChild<QLineEdit*>("1069"), QStringLiteral("0815"));
    QTest::mouseClick(panel->findChild<QAbstractButton*>("1067"), Qt::LeftButton);
    EXPECT_EQ(popup->workingRecord().passwordOn, 1);
    EXPECT_STREQ(popup->workingRecord().password, "0815");

    // Two four-digit entries that differ: string 149, protection off.
    platform::sendMessage(popup.get(), platform::UM_PASSWORD_RESULT, 1, 0);
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_EQ(
        boxes.texts.first(), QStringLiteral("Подтверженный пароль нет этого же как новый пароль."));
    EXPECT_EQ(popup->workingRecord().passwordOn, 0);
}

TEST_F(PopupTest, SelDirKeepsTheChosenFolderOfTheModeAndRefusesSeparators)
{
    open(SettingPopup::Capture);
    browser.answers = {QStringLiteral("/media/card/pictures"), std::nullopt,
        QStringLiteral("/media/card/a?b"), QStringLiteral("/media/card/x*")};
    clickButton(1046);
    EXPECT_EQ(popup->folders().folders[0], QStringLiteral("/media/card/pictures/"));
    clickButton(1046); // cancelled
    clickButton(1046); // "?" separates the stored texts
    clickButton(1046);
    EXPECT_EQ(popup->folders().folders[0], QStringLiteral("/media/card/pictures/"));
    ASSERT_EQ(boxes.texts.size(), 2);
    EXPECT_TRUE(boxes.texts[0].contains(QStringLiteral("/media/card/a?b/")));
    ASSERT_EQ(browser.titles.size(), 4);
    EXPECT_EQ(browser.titles[0], QStringLiteral("Please select the directory"));
    EXPECT_EQ(browser.startFolders[1], QStringLiteral("/media/card/pictures/"));

    open(SettingPopup::FileSaving);
    browser.answers = {QStringLiteral("/media/card/copies/")};
    clickButton(1046);
    EXPECT_EQ(popup->folders().folders[1], QStringLiteral("/media/card/copies/"));
    EXPECT_EQ(popup->folders().folders[0], QStringLiteral("/media/card/pictures/"));
    EXPECT_EQ(
        popup->folderListText(), QByteArray("/media/card/pictures/?1?0?/media/card/copies/?1?0??"));
}

TEST_F(PopupTest, FileSavingAsksTheMainWindowToCopyOnceAFolderIsChosen)
{
    open(SettingPopup::FileSaving);
    clickButton(1047);
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_EQ(boxes.texts[0], QStringLiteral("Сначала выберите папку."));
    EXPECT_TRUE(main.messages.empty());
    EXPECT_TRUE(popup->isVisible());

    browser.answers = {QStringLiteral("/media/card/copies")};
    clickButton(1046);
    clickButton(1047);
    ASSERT_EQ(main.messages.size(), 1u);
    EXPECT_EQ(main.messages[0].message, platform::UM_COPY_RECORDINGS);
    EXPECT_EQ(main.messages[0].wParam, 1u);
    EXPECT_EQ(main.messages[0].lParam, 0);
    EXPECT_FALSE(popup->isVisible());
    EXPECT_EQ(popup->getMode(), SettingPopup::NotInUse);
}

TEST_F(PopupTest, CaptureNeedsAFolderAndClosingTellsTheMainWindow)
{
    open(SettingPopup::Capture);
    click(30, 155);
    clickButton(1047);
    EXPECT_FALSE(popup->captureRunning());
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_EQ(boxes.texts[0], QStringLiteral("Сначала выберите папку."));

    clickButton(1045);
    ASSERT_EQ(main.messages.size(), 1u);
    EXPECT_EQ(main.messages[0].message, platform::UM_SETTINGS_CLOSED);
    EXPECT_EQ(main.messages[0].wParam, 1u) << "thirty frames were ticked";
    EXPECT_EQ(main.messages[0].lParam, 0) << "nothing captured";
    EXPECT_FALSE(popup->isVisible());
    EXPECT_EQ(popup->getMode(), SettingPopup::NotInUse);
    EXPECT_FALSE(popup->thirtyFrames());
}

TEST_F(PopupTest, SaveButtonShowsTheSavePopupPlacedFromTheMainWindow)
{
    main.setGeometry(100, 50, 1020, 780);
    open(SettingPopup::ViewSettings);
    press(144, 94);
    moveTo(194, 94);
    release(194, 94);
    clickButton(1047);
    SettingSavePopup* save = popup->savePopup();
    EXPECT_TRUE(save->isVisible());
    EXPECT_EQ(save->shownState(), 5);
    EXPECT_EQ(save->geometry(), QRect(100 + 190 + 324, 50 + 135 + 263, 377, 254));
    EXPECT_EQ(popup->getRecord().level, 3);
}

TEST_F(PopupTest, ClosingOverOpenPanelsClosesThemAndNeverKeepsAnUnconfirmedPassword)
{
    open(SettingPopup::ViewSettings);
    clickButton(1047);
    click(30, 155);
    ASSERT_TRUE(popup->savePopup()->isVisible());
    ASSERT_TRUE(popup->passwordPanel()->isVisible());
    ASSERT_EQ(popup->workingRecord().passwordOn, 1);

    clickButton(1048);
    EXPECT_FALSE(popup->isVisible());
    EXPECT_FALSE(popup->savePopup()->isVisible());
    EXPECT_FALSE(popup->passwordPanel()->isVisible());
    EXPECT_EQ(popup->savePopup()->shownState(), 0);
    EXPECT_EQ(popup->passwordPanel()->shownState(), 0);
    EXPECT_EQ(popup->getRecord().passwordOn, 0);
    EXPECT_EQ(popup->getMode(), SettingPopup::NotInUse);
}

TEST_F(PopupTest, KeysCloseNothingAndAWindowManagerCloseTakesThePopupsOwnWay)
{
    open(SettingPopup::ViewSettings);
    clickButton(1047);
    SettingSavePopup* save = popup->savePopup();
    for (QWidget* target : {static_cast<QWidget*>(popup.get()), static_cast<QWidget*>(save)}) {
        QTest::keyClick(target, Qt::Key_Escape);
        QTest::keyClick(target, Qt::Key_Return);
        QTest::keyClick(target, Qt::Key_Enter);
        QTest::keyClick(target, Qt::Key_F4);
        QTest::keyClick(target, Qt::Key_F4, Qt::AltModifier);
    }
    EXPECT_TRUE(popup->isVisible());
    EXPECT_TRUE(save->isVisible());
    EXPECT_EQ(popup->getMode(), SettingPopup::ViewSettings);

    save->close();
    EXPECT_FALSE(save->isVisible());
    EXPECT_EQ(save->shownState(), 0);
    popup->close();
    EXPECT_FALSE(popup->isVisible());
    EXPECT_EQ(popup->shownState(), 0);
    EXPECT_EQ(popup->getMode(), SettingPopup::NotInUse);

    open(SettingPopup::ViewSettings);
    EXPECT_TRUE(popup->isVisible()) << "it can always be opened again";
}

TEST_F(PopupTest, CompletionMessagesByType)
{
    popup->showCompletionMessage(2);
    popup->showCompletionMessage(3);
    popup->showCompletionMessage(9);
    ASSERT_EQ(boxes.texts.size(), 2);
    EXPECT_EQ(boxes.texts[0], QStringLiteral("Законченные сбережениа видео."));
    EXPECT_EQ(
        boxes.texts[1], QStringLiteral("Подтверженный пароль нет этого же как новый пароль."));
}

} // namespace
