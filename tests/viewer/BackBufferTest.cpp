#include "viewer/BackBuffer.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace {

QImage filled(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

TEST(BackBufferTest, RestoreCopiesOnlyTheCleanPixelsUnderTheRectangle)
{
    BackBuffer buffer(filled({100, 80}, Qt::blue));
    buffer.image().fill(Qt::red);
    // Partly outside the buffer: clipped, never a crash or a wrap-around.
    buffer.restore(QRect(90, 70, 30, 30));
    EXPECT_EQ(buffer.image().pixelColor(95, 75), QColor(Qt::blue));
    EXPECT_EQ(buffer.image().pixelColor(89, 75), QColor(Qt::red));
    EXPECT_EQ(buffer.image().pixelColor(95, 69), QColor(Qt::red));
    EXPECT_EQ(buffer.clean().pixelColor(0, 0), QColor(Qt::blue));
}

TEST(BackBufferTest, DirtyRectanglesGatherUntilTakenAndStayInsideTheBuffer)
{
    BackBuffer buffer(filled({100, 80}, Qt::black));
    EXPECT_FALSE(buffer.hasDirty());
    buffer.invalidate(QRect(10, 10, 5, 5));
    buffer.restoreAndInvalidate(QRect(90, 0, 50, 10));
    buffer.invalidate(QRect(200, 200, 5, 5)); // wholly outside: nothing to show
    ASSERT_TRUE(buffer.hasDirty());
    const QRegion dirty = buffer.takeDirty();
    EXPECT_EQ(dirty, QRegion(10, 10, 5, 5) + QRegion(90, 0, 10, 10));
    EXPECT_FALSE(buffer.hasDirty());
    EXPECT_TRUE(buffer.takeDirty().isEmpty());
}

TEST(BackBufferTest, ANewBackgroundCanKeepWhatIsDrawn)
{
    BackBuffer buffer(filled({40, 30}, Qt::black));
    buffer.image().setPixelColor(1, 1, Qt::green);
    buffer.setBackground(filled({40, 30}, Qt::white), false);
    EXPECT_EQ(buffer.image().pixelColor(1, 1), QColor(Qt::green));
    buffer.setBackground(filled({40, 30}, Qt::white));
    EXPECT_EQ(buffer.image().pixelColor(1, 1), QColor(Qt::white));
}

} // namespace
