#include "password/PasswordSetting.h"

#include "platform/Dialogs.h"
#include "resources/Skin.h"
#include "support/MessageWindow.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>
#include <optional>

namespace {

using testsupport::MessageWindow;

class PasswordSettingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        panel.setOwner(&owner);
        panel.SetVisible(5);
        panel.place(QRect(0, 0, 1020, 780));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    }

    QLineEdit* entry(int id) { return panel.findChild<QLineEdit*>(QString::number(id)); }
    QAbstractButton* button(int id)
    {
        return panel.findChild<QAbstractButton*>(QString::number(id));
    }

    // Types both entries and presses OK; returns the result sent, or nothing.
    std::optional<std::pair<platform::WParam, platform::LParam>> confirm(
        const QString& entered, const QString& again)
    {
        owner.messages.clear();
        QTest::keyClicks(entry(1068), entered);
        QTest::keyClicks(entry(1069), again);
        QTest::mouseClick(button(1067), Qt::LeftButton);
        if (owner.messages.empty())
            return std::nullopt;
        EXPECT_EQ(owner.messages.size(), 1u);
        EXPECT_EQ(owner.messages.back().message, platform::UM_PASSWORD_RESULT);
        return std::make_pair(owner.messages.back().wParam, owner.messages.back().lParam);
    }

    platform::RecordingMessageBox boxes;
    MessageWindow owner;
    PasswordSetting panel;
};

using Result = std::pair<platform::WParam, platform::LParam>;

TEST_F(PasswordSettingTest, ResultTable)
{
    const struct
    {
        const char* entered;
        const char* again;
        Result result;
    } rows[] = {
        {"1234", "1234", {1234, 1}},
        {"0000", "0000", {0, 1}}, // all zeros is a password, not "empty"
        {"0042", "0042", {42, 1}},
        {"1234", "4321", {1, 0}}, // four digits each but different: the user is told
        {"123", "4567", {0, 0}}, // other lengths: nothing to tell
        {"", "", {0, 0}},
        {"1234", "", {0, 0}},
    };
    for (const auto& row : rows) {
        panel.place(QRect(0, 0, 1020, 780));
        const auto result
            = confirm(QString::fromLatin1(row.entered), QString::fromLatin1(row.again));
        ASSERT_TRUE(result) << row.entered << "/" << row.again;
        EXPECT_EQ(*result, row.result) << row.entered << "/" << row.again;
        EXPECT_TRUE(entry(1068)->text().isEmpty());
        EXPECT_TRUE(entry(1069)->text().isEmpty());
        EXPECT_EQ(panel.shownState(), 0);
        EXPECT_FALSE(panel.isVisible());
    }
    EXPECT_TRUE(boxes.texts.isEmpty()) << "the panel itself reports none of these";
}

TEST_F(PasswordSettingTest, AShortEntryIsAskedForAgain)
{
    // "42" would be stored as "0042", and typing "42" at the next start would end the viewer.
    EXPECT_FALSE(confirm(QStringLiteral("42"), QStringLiteral("42")));
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_EQ(boxes.texts.first(), QStringLiteral("Пароль должен состоять из четырёх цифр."));
    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(panel.shownState(), 5);
    EXPECT_TRUE(entry(1068)->text().isEmpty());
    EXPECT_EQ(panel.focusWidget(), entry(1068));
    // Then four digits go through.
    EXPECT_EQ(confirm(QStringLiteral("0042"), QStringLiteral("0042")), Result(42, 1));
}

TEST_F(PasswordSettingTest, CloseEmptiesBothEntriesAndSwitchesProtectionOff)
{
    QTest::keyClicks(entry(1068), QStringLiteral("12"));
    QTest::keyClicks(entry(1069), QStringLiteral("34"));
    QTest::mouseClick(button(1066), Qt::LeftButton);
    ASSERT_EQ(owner.messages.size(), 1u);
    EXPECT_EQ(owner.messages[0].wParam, 0u);
    EXPECT_EQ(owner.messages[0].lParam, 0);
    EXPECT_TRUE(entry(1068)->text().isEmpty());
    EXPECT_TRUE(entry(1069)->text().isEmpty());
    EXPECT_FALSE(panel.isVisible());

    // A close from the window manager is the same close.
    panel.place(QRect(0, 0, 1020, 780));
    owner.messages.clear();
    panel.close();
    ASSERT_EQ(owner.messages.size(), 1u);
    EXPECT_EQ(owner.messages[0].lParam, 0);
    EXPECT_EQ(panel.shownState(), 0);
    EXPECT_FALSE(panel.isVisible());
}

TEST_F(PasswordSettingTest, EntriesTakeFourDigitsMasked)
{
    QLineEdit* entered = entry(1068);
    QTest::keyClicks(entered, QStringLiteral("1a2-3 45"));
    EXPECT_EQ(entered->text(), QStringLiteral("1234"));
    EXPECT_EQ(entered->echoMode(), QLineEdit::Password);
    EXPECT_EQ(entry(1069)->echoMode(), QLineEdit::Password);
    EXPECT_EQ(entry(1069)->maxLength(), 4);
}

TEST_F(PasswordSettingTest, PlacementFromTheMainWindowTopmostWithTheNewEntryFocused)
{
    panel.place(QRect(100, 40, 1120, 820));
    EXPECT_EQ(panel.geometry(), QRect(474, 260, 272, 340));
    EXPECT_TRUE(panel.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(entry(1068)->geometry(), QRect(88, 117, 96, 18));
    EXPECT_EQ(entry(1069)->geometry(), QRect(88, 187, 96, 18));
    EXPECT_EQ(button(1066)->geometry(), QRect(220, 0, 45, 23));
    EXPECT_EQ(button(1067)->geometry(), QRect(93, 287, 86, 29));

    entry(1069)->setFocus();
    panel.place(QRect(0, 0, 1020, 780));
    EXPECT_EQ(panel.focusWidget(), entry(1068)) << "every placement focuses the new entry";
}

TEST_F(PasswordSettingTest, KeysNeverCloseThePanelAndEnterConfirmsOnlyInTheConfirmEntry)
{
    QTest::keyClicks(entry(1068), QStringLiteral("2468"));
    QTest::keyClicks(entry(1069), QStringLiteral("2468"));
    for (QWidget* target : {static_cast<QWidget*>(&panel), static_cast<QWidget*>(entry(1068))}) {
        QTest::keyClick(target, Qt::Key_Escape);
        QTest::keyClick(target, Qt::Key_F4);
        QTest::keyClick(target, Qt::Key_F4, Qt::AltModifier);
        QTest::keyClick(target, Qt::Key_Return);
        QTest::keyClick(target, Qt::Key_Enter);
    }
    EXPECT_TRUE(owner.messages.empty());
    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(entry(1068)->text(), QStringLiteral("2468"));

    QTest::keyClick(entry(1069), Qt::Key_F4, Qt::AltModifier);
    EXPECT_TRUE(owner.messages.empty());
    QTest::keyClick(entry(1069), Qt::Key_Return);
    ASSERT_EQ(owner.messages.size(), 1u);
    EXPECT_EQ(owner.messages[0].wParam, 2468u);
    EXPECT_EQ(owner.messages[0].lParam, 1);
}

TEST_F(PasswordSettingTest, PanelIsDrawnOnTheSkinsColours)
{
    const QImage shown = panel.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), QSize(272, 340));
    EXPECT_EQ(QColor(shown.pixel(0, 0)), QColor(150, 150, 150)) << "grey frame";
    EXPECT_EQ(QColor(shown.pixel(100, 39)), QColor(24, 62, 101)) << "the rule under the title";
    EXPECT_EQ(QColor(shown.pixel(83, 120)), QColor(130, 130, 130)) << "frame around the entry";
    EXPECT_EQ(QColor(shown.pixel(150, 250)), QColor(4, 0, 0)) << "near-black face";
    EXPECT_EQ(shown.copy(93, 287, 86, 29), skin::bitmap(210).convertToFormat(QImage::Format_RGB32));
}

} // namespace
