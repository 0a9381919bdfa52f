#include "resources/Skin.h"

#include <QColor>
#include <QIcon>
#include <QSet>

#include <algorithm>

#include <gtest/gtest.h>

namespace {

int lightness(int id, int x, int y)
{
    return QColor(skin::bitmap(id).pixel(x, y)).lightness();
}

QRgb pixel(int id, int x, int y)
{
    return skin::bitmap(id).pixel(x, y);
}

} // namespace

TEST(SkinTest, EveryIdLoadsAtItsSize)
{
    // The ids the windows draw; the table must name each of them once.
    const QList<int> expected = {128, 129, 130, 131, 132, 133, 134, 135, 136, 137, 138, 139, 141,
        142, 143, 144, 145, 147, 149, 151, 157, 159, 160, 162, 166, 168, 169, 171, 172, 174, 175,
        177, 178, 180, 181, 182, 183, 184, 185, 186, 187, 191, 192, 193, 194, 195, 196, 205, 206,
        207, 209, 210, 212, 213, 215, 216, 217, 220, 222, 223, 225, 226, 227, 228, 230, 233, 235,
        237, 240, 242, 243, 244, 245, 246, 247, 248, 249, 250, 251, 252, 264, 265, 267, 274, 275,
        294, 302};
    QSet<int> listed;
    for (const skin::Entry& entry : skin::entries()) {
        EXPECT_FALSE(listed.contains(entry.id)) << "listed twice: " << entry.id;
        listed.insert(entry.id);
        const QImage& image = skin::bitmap(entry.id);
        ASSERT_FALSE(image.isNull()) << "bitmap " << entry.id;
        EXPECT_EQ(image.size(), entry.size) << "bitmap " << entry.id;
    }
    EXPECT_EQ(listed, QSet<int>(expected.begin(), expected.end()));

    EXPECT_EQ(skin::bitmap(130).size(), QSize(1020, 780));
    EXPECT_EQ(skin::bitmap(129).size(), QSize(440, 300));
    EXPECT_EQ(skin::bitmap(184).size(), QSize(33, 20));
    EXPECT_EQ(skin::bitmap(294).size(), QSize(35, 36));
    EXPECT_FALSE(skin::appIcon().isNull());
}

TEST(SkinTest, UnknownIdIsNullAndLoadsAreShared)
{
    EXPECT_TRUE(skin::bitmap(140).isNull());
    EXPECT_TRUE(skin::bitmap(-1).isNull());
    // Loaded once: both calls hand out the same image.
    EXPECT_EQ(&skin::bitmap(130), &skin::bitmap(130));
}

TEST(SkinTest, BackgroundRegionsSitWhereTheWindowDraws)
{
    // Black position text needs a light field; white list text and the player need dark.
    for (const QPoint& p : {QPoint(361, 722), QPoint(500, 770), QPoint(655, 778)})
        EXPECT_GT(lightness(130, p.x(), p.y()), 180) << "position field at " << p.x();
    EXPECT_LT(lightness(130, 359, 750), 100) << "position field starts at x 360";
    for (const QPoint& p :
        {QPoint(25, 53), QPoint(344, 120), QPoint(662, 530), QPoint(700, 140), QPoint(990, 520)})
        EXPECT_LT(lightness(130, p.x(), p.y()), 30) << "video or map well at " << p.x();
    for (const QPoint& p : {QPoint(690, 640), QPoint(900, 700), QPoint(980, 760)})
        EXPECT_LT(lightness(130, p.x(), p.y()), 40) << "list body at " << p.x();

    // The compass face under the dark needle is light around its centre 428, 656.
    for (const QPoint& p : {QPoint(418, 656), QPoint(438, 656), QPoint(428, 646), QPoint(428, 670)})
        EXPECT_GT(lightness(130, p.x(), p.y()), 150) << "compass face";

    // G-sensor grid lines at their scale rows, with a label to the left of each.
    for (int y : {671, 690, 709, 728, 747}) {
        EXPECT_GT(lightness(130, 150, y), lightness(130, 150, y + 4) + 10) << "grid row " << y;
        int brightest = 0;
        for (int x = 30; x < 80; ++x)
            for (int dy = -5; dy <= 5; ++dy)
                brightest = std::max(brightest, lightness(130, x, y + dy));
        EXPECT_GT(brightest, 100) << "scale label at row " << y;
    }
}

TEST(SkinTest, PiecesBlendIntoTheSpotsTheyAreDrawnAt)
{
    // Speed digits share the display's flat colour, anywhere in the digits' area.
    for (int id = 243; id <= 252; ++id) {
        EXPECT_EQ(pixel(id, 0, 0), pixel(130, 563, 657)) << "digit " << id;
        EXPECT_EQ(pixel(id, 14, 30), pixel(130, 607, 687)) << "digit " << id;
    }
    // Thumbs are opaque: their corners match the band along the whole track.
    for (int progress : {0, 171, 342})
        EXPECT_EQ(pixel(184, 0, 0), pixel(130, progress + 36, 554));
    for (int slider : {0, 102})
        EXPECT_EQ(pixel(194, 22, 19), pixel(130, slider + 635 + 22, 571));
    for (int slider : {0, 128})
        EXPECT_EQ(pixel(194, 0, 0), pixel(130, slider + 827, 552));
    // The bar's end pieces fit all three grooves.
    EXPECT_EQ(pixel(181, 0, 0), pixel(130, 630, 557));
    EXPECT_EQ(pixel(181, 0, 0), pixel(130, 822, 557));
    EXPECT_EQ(pixel(183, 4, 7), pixel(130, 764, 564));
    // The close button fits the title bar of both the full window and the lock screen.
    EXPECT_EQ(pixel(141, 0, 0), pixel(130, 970, 1));
    EXPECT_EQ(pixel(141, 0, 24), pixel(129, 390, 25));
    // Unlock frames replace the confirm button on the lock screen's card.
    EXPECT_EQ(pixel(131, 0, 0), pixel(129, 272, 192));
    EXPECT_EQ(pixel(139, 39, 39), pixel(129, 311, 231));
    EXPECT_LT(lightness(129, 200, 210), 10) << "the password edit's field is black";
}
