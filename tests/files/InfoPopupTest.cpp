#include "files/InfoPopup.h"

#include <QAbstractButton>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace {

class InfoPopupTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        owner = std::make_unique<QWidget>(nullptr, Qt::FramelessWindowHint);
        owner->setGeometry(100, 50, 1020, 780);
        owner->show();
        popup = new InfoPopup(owner.get());
        popup->SetVisible(5);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(popup));
    }

    // True when some pixel of the area has the colour.
    bool hasColour(const QRect& area, QColor colour) const
    {
        const QImage& panel = popup->panel();
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                if (panel.pixelColor(x, y) == colour)
                    return true;
            }
        }
        return false;
    }

    std::unique_ptr<QWidget> owner;
    InfoPopup* popup = nullptr;
};

} // namespace

TEST(InfoPopupVersionTest, FourFieldsFromTheVersionOrNoneAtAll)
{
    EXPECT_EQ(InfoPopup::formatVersion("1.0.1"), "1.0.1.0");
    EXPECT_EQ(InfoPopup::formatVersion("1.1.5.14"), "1.1.5.14");
    EXPECT_EQ(InfoPopup::formatVersion("7"), "7.0.0.0");
    EXPECT_EQ(InfoPopup::formatVersion("65535.0.0.65535"), "65535.0.0.65535");
    for (const char* bad : {"", "1..2", "1.2.3.4.5", "1.x", "65536", " 1.0", "1.0-rc", "+1", "1."})
        EXPECT_EQ(InfoPopup::formatVersion(bad), "0.0.0.0") << bad;

    InfoPopup unversioned(nullptr, QString());
    EXPECT_EQ(unversioned.versionText(), "0.0.0.0");
}

TEST_F(InfoPopupTest, ShowsTheBuiltVersionOnTheDarkPanelAtItsPlace)
{
    EXPECT_EQ(popup->versionText(), "1.0.1.0");
    EXPECT_EQ(popup->size(), QSize(372, 254));
    EXPECT_EQ(popup->pos(), QPoint(424, 313));
    EXPECT_TRUE(popup->windowFlags().testFlag(Qt::FramelessWindowHint));
    auto* close = popup->findChild<QAbstractButton*>("1050");
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(close->geometry(), QRect(320, 0, 45, 23));

    const QImage& panel = popup->panel();
    EXPECT_EQ(panel.pixelColor(0, 0), QColor(150, 150, 150));
    EXPECT_EQ(panel.pixelColor(371, 253), QColor(150, 150, 150));
    EXPECT_EQ(panel.pixelColor(5, 100), QColor(4, 0, 0));
    EXPECT_EQ(panel.pixelColor(200, 39), QColor(24, 62, 101));
    EXPECT_EQ(panel.pixelColor(200, 40), QColor(24, 62, 101));
    // Each text starts at its anchor: blue title, pale cyan version and brand line.
    EXPECT_TRUE(hasColour(QRect(16, 9, 150, 29), QColor(9, 121, 213)));
    EXPECT_FALSE(hasColour(QRect(2, 42, 368, 60), QColor(133, 210, 217)));
    EXPECT_TRUE(hasColour(QRect(151, 109, 80, 25), QColor(133, 210, 217)));
    EXPECT_FALSE(hasColour(QRect(2, 109, 145, 25), QColor(133, 210, 217)));
    EXPECT_TRUE(hasColour(QRect(86, 160, 150, 25), QColor(133, 210, 217)));

    const QImage shown = popup->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown.pixelColor(5, 100), QColor(4, 0, 0));
}

TEST_F(InfoPopupTest, KeysCannotDismissItAndASecondShowChangesNothing)
{
    for (int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape, Qt::Key_F4}) {
        QTest::keyClick(popup, Qt::Key(key));
        QTest::keyClick(popup, Qt::Key(key), Qt::AltModifier);
        EXPECT_TRUE(popup->isVisible()) << key;
        EXPECT_EQ(popup->shownState(), 5);
    }
    owner->move(0, 0);
    popup->SetVisible(5);
    EXPECT_EQ(popup->pos(), QPoint(424, 313));
    EXPECT_TRUE(popup->isVisible());
}

TEST_F(InfoPopupTest, CloseButtonAndWindowCloseHideItForTheNextShow)
{
    QTest::mouseClick(popup->findChild<QAbstractButton*>("1050"), Qt::LeftButton);
    EXPECT_FALSE(popup->isVisible());
    EXPECT_EQ(popup->shownState(), 0);
    owner->move(0, 0);
    popup->SetVisible(5);
    EXPECT_TRUE(popup->isVisible());
    EXPECT_EQ(popup->pos(), QPoint(324, 263));

    popup->close();
    EXPECT_FALSE(popup->isVisible());
    EXPECT_EQ(popup->shownState(), 0);
    popup->SetVisible(5);
    EXPECT_TRUE(popup->isVisible());
}
