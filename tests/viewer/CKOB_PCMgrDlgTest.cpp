#include "viewer/CKOB_PCMgrDlg.h"

#include "platform/AppMessage.h"
#include "resources/Skin.h"

#include <QAbstractButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window = std::make_unique<CKOB_PCMgrDlg>();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    QAbstractButton* button(int id) const
    {
        return window->findChild<QAbstractButton*>(QString::number(id));
    }

    std::unique_ptr<CKOB_PCMgrDlg> window;
};

TEST_F(MainWindowTest, IsABorderlessWindowOfTheSkinSize)
{
    EXPECT_EQ(window->size(), QSize(1020, 780));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("ZYN Viewer"));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_FALSE(window->windowIcon().isNull());
}

TEST_F(MainWindowTest, BackBufferStartsAsTheBackground)
{
    const QImage& background = skin::bitmap(130);
    ASSERT_EQ(background.size(), QSize(1020, 780));
    EXPECT_EQ(window->backBuffer(), background);
    const QImage shown = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown.pixel(500, 300), background.pixel(500, 300));
}

TEST_F(MainWindowTest, TitleButtonsSitAtTheirPlaces)
{
    ASSERT_NE(button(1001), nullptr);
    ASSERT_NE(button(1002), nullptr);
    EXPECT_EQ(button(1001)->geometry(), QRect(925, 1, 45, 25));
    EXPECT_EQ(button(1002)->geometry(), QRect(970, 1, 45, 25));
}

TEST_F(MainWindowTest, CloseButtonEndsTheDialog)
{
    QSignalSpy finished(window.get(), &QDialog::finished);
    QTest::mouseClick(button(1002), Qt::LeftButton);
    EXPECT_EQ(finished.count(), 1);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MainWindowTest, EnterAndEscapeNeverClose)
{
    QSignalSpy finished(window.get(), &QDialog::finished);
    QTest::keyClick(window.get(), Qt::Key_Escape);
    QTest::keyClick(window.get(), Qt::Key_Return);
    QTest::keyClick(window.get(), Qt::Key_Enter);
    EXPECT_EQ(finished.count(), 0);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(MainWindowTest, DragStripMovesTheWindowAndTheRestDoesNot)
{
    const QPoint start = window->pos();
    QTest::mousePress(window.get(), Qt::LeftButton, {}, QPoint(500, 10));
    QTest::mouseMove(window.get(), QPoint(540, 30));
    QTest::mouseRelease(window.get(), Qt::LeftButton, {}, QPoint(540, 30));
    EXPECT_EQ(window->pos(), start + QPoint(40, 20));

    const QPoint moved = window->pos();
    QTest::mousePress(window.get(), Qt::LeftButton, {}, QPoint(500, 40));
    QTest::mouseMove(window.get(), QPoint(560, 80));
    QTest::mouseRelease(window.get(), Qt::LeftButton, {}, QPoint(560, 80));
    EXPECT_EQ(window->pos(), moved);
}

TEST_F(MainWindowTest, LibraryAcknowledgementIsAnsweredWithOne)
{
    EXPECT_EQ(platform::sendMessage(window.get(), platform::UM_LIBRARY_ACK), 1);
}

} // namespace
