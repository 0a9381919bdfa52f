#include "settings/CaptureFrames.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace capture_frames;

TEST(CaptureFramesTest, NamesCarryMinutesSecondsAndFrameNumber)
{
    EXPECT_EQ(baseName(QStringLiteral("/media/card/DCIM/drf_20240102_030405.mp4")),
        QStringLiteral("drf_20240102_030405"));
    EXPECT_EQ(baseName(QStringLiteral("rec.tar.mp4")), QStringLiteral("rec.tar"));
    EXPECT_EQ(fileName(QStringLiteral("rec"), 83, 1), QStringLiteral("rec_0123_1.jpg"));
    EXPECT_EQ(fileName(QStringLiteral("rec"), 0, 30), QStringLiteral("rec_0000_30.jpg"));
    EXPECT_EQ(fileName(QStringLiteral("rec"), 599, 2), QStringLiteral("rec_0959_2.jpg"));
    // From 100 minutes on the tens of minutes take two digits.
    EXPECT_EQ(fileName(QStringLiteral("rec"), 6000, 1), QStringLiteral("rec_10000_1.jpg"));
    // A name that looks like a place holder stays as it is.
    EXPECT_EQ(fileName(QStringLiteral("a%1b"), 61, 3), QStringLiteral("a%1b_0101_3.jpg"));
}

TEST(CaptureFramesTest, AnExistingPictureIsNeverTheTarget)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    EXPECT_EQ(unusedPath(folder, QStringLiteral("rec_0123_1.jpg")), folder + "rec_0123_1.jpg");
    for (const char* name : {"rec_0123_1.jpg", "rec_0123_1-2.jpg"}) {
        QFile file(folder + QLatin1String(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    EXPECT_EQ(unusedPath(folder, QStringLiteral("rec_0123_1.jpg")), folder + "rec_0123_1-3.jpg");
}

TEST(CaptureFramesTest, FrameBecomesABottomUpBlueGreenRedBitmap)
{
    std::vector<std::uint8_t> frame(kFrameBytes, 0);
    // Top-left pixel: B 1, G 2, R 3; bottom-right pixel: B 7, G 8, R 9.
    frame[0] = 1;
    frame[1] = 2;
    frame[2] = 3;
    frame[3] = 99; // the unused byte goes nowhere
    const std::size_t last = kFrameBytes - 4;
    frame[last] = 7;
    frame[last + 1] = 8;
    frame[last + 2] = 9;

    std::vector<std::uint8_t> bitmap;
    toBitmap(frame.data(), bitmap);
    ASSERT_EQ(bitmap.size(), kBitmapBytes);
    // Bottom row first: the frame's last row opens the bitmap, its first row closes it.
    const std::size_t row = 640 * 3;
    EXPECT_EQ(bitmap[row - 3], 7);
    EXPECT_EQ(bitmap[row - 2], 8);
    EXPECT_EQ(bitmap[row - 1], 9);
    const std::size_t top = kBitmapBytes - row;
    EXPECT_EQ(bitmap[top], 1);
    EXPECT_EQ(bitmap[top + 1], 2);
    EXPECT_EQ(bitmap[top + 2], 3);
    EXPECT_EQ(bitmap[top + 3], 0);

    const CJpegEncoder::Description description = bitmapDescription();
    EXPECT_EQ(description[0], 40u);
    EXPECT_EQ(description[1], 640u);
    EXPECT_EQ(description[2], 480u);
    EXPECT_EQ(description[3], 1u | 24u << 16);
    EXPECT_EQ(description[5], 921600u);
}
