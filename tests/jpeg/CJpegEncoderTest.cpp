#include "jpeg/CJpegEncoder.h"
#include "jpeg/JpegTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <gtest/gtest.h>
#include <iostream>
#include <thread>

using namespace jpegtest;

namespace {

class CJpegEncoderTest : public ::testing::Test
{
protected:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

// Quantised coefficients in zig-zag order, DC as differences, evaluated literally as written:
// colour sums in double held as float, the four-decimal cosines, each term s * cu * cv added
// to one single-precision total row by row, left to right.
std::vector<std::array<int, 64>> referenceCoefficients(
    const QImage& image, const QByteArray& lumaTable, const QByteArray& chromaTable)
{
    const int width = image.width(), height = image.height();
    const int W = (width + 7) / 8 * 8, H = (height + 7) / 8 * 8;
    std::vector<std::vector<short>> planes(3, std::vector<short>(std::size_t(W) * H, 0));
    const auto level = [](float v) { return short(int(std::clamp(v, 0.0f, 255.0f)) - 128); };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const QRgb pixel = image.pixel(x, y);
            const int R = qRed(pixel), G = qGreen(pixel), B = qBlue(pixel);
            const float Y = 0.299 * R + 0.587 * G + 0.114 * B;
            const float Cb = 0.5 * B - (0.1687 * R + 0.3313 * G) + 128;
            const float Cr = 0.5 * R - 0.4187 * G - 0.0813 * B + 128;
            planes[0][y * W + x] = level(Y);
            planes[1][y * W + x] = level(Cb);
            planes[2][y * W + x] = level(Cr);
        }
    }
    float c[8][8];
    for (int x = 0; x < 8; ++x)
        for (int u = 0; u < 8; ++u)
            c[x][u] = float(std::round(std::cos((2 * x + 1) * u * M_PI / 16) * 10000) / 10000);
    const float N[8] = {0.7071f, 1, 1, 1, 1, 1, 1, 1};
    // zig-zag: walk the anti-diagonals, alternating direction
    std::array<int, 64> natural{};
    for (int k = 0, d = 0; d < 15; ++d)
        for (int i = 0; i <= d; ++i) {
            const int row = d % 2 ? i : d - i, col = d - row;
            if (row < 8 && col < 8)
                natural[k++] = row * 8 + col;
        }

    std::vector<std::array<int, 64>> blocks;
    int previous[3] = {0, 0, 0};
    for (int by = 0; by < H; by += 8)
        for (int bx = 0; bx < W; bx += 8)
            for (int p = 0; p < 3; ++p) {
                short F[64];
                for (int v = 0; v < 8; ++v)
                    for (int u = 0; u < 8; ++u) {
                        float sum = 0;
                        for (int y = 0; y < 8; ++y)
                            for (int x = 0; x < 8; ++x)
                                sum += planes[p][(by + y) * W + bx + x] * c[x][u] * c[y][v];
                        F[v * 8 + u] = short(0.25f * N[u] * N[v] * sum);
                    }
                const QByteArray& q = p == 0 ? lumaTable : chromaTable;
                std::array<int, 64> zz{};
                for (int k = 0; k < 64; ++k)
                    zz[k] = F[natural[k]] / uint8_t(q[k + 1]);
                const int dc = zz[0];
                zz[0] = dc - previous[p];
                previous[p] = dc;
                blocks.push_back(zz);
            }
    return blocks;
}

} // namespace

TEST_F(CJpegEncoderTest, NaturalImagesDecodeCloseToTheInputWithBothDecoders)
{
    struct Case
    {
        const char* name;
        QImage image;
    };
    const Case cases[]
        = {{"scene 640x480", sceneImage(640, 480)}, {"plasma 640x480", plasmaImage(640, 480, 3)},
            {"fine texture 640x480", plasmaImage(640, 480, 4, 12)},
            {"scene 641x481", sceneImage(641, 481)}, {"plasma 203x117", plasmaImage(203, 117, 9)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray jpeg = encode(c.image, path("natural.jpg"));
        ASSERT_FALSE(jpeg.isEmpty());
        const QImage qt = decodeWithQt(jpeg), dj = decodeWithDjpeg(jpeg);
        ASSERT_EQ(qt.size(), c.image.size());
        ASSERT_EQ(dj.size(), c.image.size());
        const double qtPsnr = psnr(c.image, qt), djPsnr = psnr(c.image, dj);
        std::cout << "[ PSNR     ] " << c.name << ": Qt " << qtPsnr << " dB, djpeg " << djPsnr
                  << " dB, " << jpeg.size() << " bytes\n";
        EXPECT_GT(qtPsnr, 30.0);
        EXPECT_GT(djPsnr, 30.0);
    }
}

TEST_F(CJpegEncoderTest, TinyAndOddSizesDecodeToTheirSize)
{
    for (const QSize size : {QSize(1, 1), QSize(5, 3), QSize(8, 8), QSize(9, 17), QSize(33, 1)}) {
        SCOPED_TRACE(size.width() * 1000 + size.height());
        const QByteArray jpeg = encode(plasmaImage(size.width(), size.height(), 5), path("s.jpg"));
        EXPECT_EQ(decodeWithQt(jpeg).size(), size);
        EXPECT_EQ(decodeWithDjpeg(jpeg).size(), size);
    }
}

TEST_F(CJpegEncoderTest, RandomNoiseRoundTrips)
{
    const QImage noise = noiseImage(640, 480, 11);
    const QByteArray jpeg = encode(noise, path("noise.jpg"));
    const QImage qt = decodeWithQt(jpeg), dj = decodeWithDjpeg(jpeg);
    ASSERT_EQ(qt.size(), noise.size());
    ASSERT_EQ(dj.size(), noise.size());
    // Noise cannot survive these tables; the picture must still be the same grey haze, not
    // garbage from a desynchronised scan (which would sit far below 10 dB).
    std::cout << "[ PSNR     ] noise 640x480: djpeg " << psnr(noise, dj) << " dB, " << jpeg.size()
              << " bytes\n";
    EXPECT_GT(psnr(noise, dj), 10.0);
    EXPECT_EQ(decodeScan(jpeg, 80 * 60).ok, true);
}

TEST_F(CJpegEncoderTest, CoefficientsFollowTheDirectTransformExactly)
{
    // Saturated colours push Cb and Cr past 255 before the clamp; noise and plasma exercise
    // every frequency; the odd size adds padding.
    QImage image = plasmaImage(157, 93, 21, 10);
    const QImage noise = noiseImage(48, 93, 4);
    for (int y = 0; y < 93; ++y)
        for (int x = 0; x < 48; ++x)
            image.setPixel(x, y, noise.pixel(x, y));
    const QRgb saturated[] = {qRgb(0, 0, 255), qRgb(255, 0, 0), qRgb(255, 255, 255), qRgb(0, 0, 0)};
    for (int i = 0; i < 64; ++i)
        image.setPixel(60 + i, 40, saturated[i % 4]);
    // Flat blocks whose exact DC would be a multiple of the quantiser: N(0) = 0.7071 makes
    // them fall just short of it, which truncation turns into the next lower step.
    const QRgb flat[]
        = {qRgb(130, 130, 130), qRgb(126, 126, 126), qRgb(110, 110, 144), qRgb(144, 110, 110)};
    for (int i = 0; i < 4; ++i)
        for (int y = 56; y < 64; ++y)
            for (int x = 0; x < 8; ++x)
                image.setPixel(64 + 8 * i + x, y, flat[i]);

    const QByteArray jpeg = encode(image, path("exact.jpg"));
    const std::vector<Segment> segments = parseSegments(jpeg);
    ASSERT_GE(segments.size(), 3u);
    const auto expected = referenceCoefficients(image, segments[1].payload, segments[2].payload);
    const DecodedScan scan = decodeScan(jpeg, 20 * 12);
    ASSERT_TRUE(scan.ok);
    ASSERT_EQ(scan.blocks.size(), expected.size());
    for (std::size_t b = 0; b < expected.size(); ++b) {
        SCOPED_TRACE(b);
        for (int k = 0; k < 64; ++k)
            ASSERT_EQ(scan.blocks[b].zigZag[k], expected[b][k]) << "coefficient " << k;
    }
}

TEST_F(CJpegEncoderTest, MidGreyCodesEveryBlockAsZeroDcAndEndOfBlock)
{
    const QByteArray jpeg = encode(uniformImage(64, 40, QColor(128, 128, 128)), path("g.jpg"));
    const DecodedScan scan = decodeScan(jpeg, 8 * 5);
    ASSERT_TRUE(scan.ok);
    ASSERT_EQ(scan.blocks.size(), 8u * 5 * 3);
    for (const CodedBlock& block : scan.blocks) {
        EXPECT_EQ(block.dcCategory, 0);
        EXPECT_TRUE(block.endOfBlock);
        EXPECT_EQ(block.zigZag, (std::array<int, 64>{}));
    }
}

TEST_F(CJpegEncoderTest, LastByteIsFilledWithOnesOnlyWhenPartial)
{
    // A grey block position codes to 14 bits: Y 00 1010, Cb 00 00, Cr 00 00.
    QByteArray scan;
    parseSegments(encode(uniformImage(8, 8, QColor(128, 128, 128)), path("a.jpg")), &scan);
    EXPECT_EQ(scan, QByteArray::fromHex("2803")); // 00101000 000000 + 11
    // Four positions: 56 bits end on a byte boundary, so no byte is added.
    parseSegments(encode(uniformImage(32, 8, QColor(128, 128, 128)), path("b.jpg")), &scan);
    EXPECT_EQ(scan, QByteArray::fromHex("2800a002800a00"));
    // A 640 x 480 grey frame: 4800 positions, 8400 bytes exactly.
    const QByteArray frame = encode(uniformImage(640, 480, QColor(128, 128, 128)), path("c.jpg"));
    parseSegments(frame, &scan);
    EXPECT_EQ(scan.size(), 8400);
    const DecodedScan decoded = decodeScan(frame, 4800);
    EXPECT_EQ(decoded.fillBits, 0);

    const DecodedScan plasma = decodeScan(encode(plasmaImage(48, 40, 2), path("d.jpg")), 30);
    ASSERT_TRUE(plasma.ok);
    EXPECT_LT(plasma.fillBits, 8);
    EXPECT_TRUE(plasma.fillBitsAllOnes);
}

TEST_F(CJpegEncoderTest, EveryFFInTheScanIsFollowedByZero)
{
    QByteArray scan;
    parseSegments(encode(noiseImage(160, 120, 8), path("n.jpg")), &scan);
    int stuffed = 0;
    for (qsizetype i = 0; i < scan.size(); ++i) {
        if (uint8_t(scan[i]) != 0xFF)
            continue;
        ASSERT_LT(i + 1, scan.size());
        EXPECT_EQ(scan[i + 1], '\0') << "at " << i;
        ++stuffed;
        ++i;
    }
    EXPECT_GT(stuffed, 10); // the case is really exercised
}

TEST_F(CJpegEncoderTest, OutputGrowsFromATinyStartToTheSameFile)
{
    const QImage noise = noiseImage(96, 64, 1);
    const QByteArray normal = encode(noise, path("normal.jpg"));
    for (qsizetype start : {0, 1, 7}) {
        SCOPED_TRACE(start);
        EXPECT_EQ(encode(noise, path("grown.jpg"), start), normal);
    }
    EXPECT_GT(normal.size(), 3000); // far beyond the tiny starts: many growth steps
}

TEST_F(CJpegEncoderTest, TwoEncodersRunAtOnce)
{
    const QImage first = plasmaImage(256, 128, 1), second = noiseImage(256, 128, 2);
    const QByteArray expectFirst = encode(first, path("e1.jpg"));
    const QByteArray expectSecond = encode(second, path("e2.jpg"));
    QByteArray gotFirst, gotSecond;
    std::thread a([&] {
        for (int i = 0; i < 5 && (gotFirst.isEmpty() || gotFirst == expectFirst); ++i)
            gotFirst = encode(first, path("t1.jpg"));
    });
    std::thread b([&] {
        for (int i = 0; i < 5 && (gotSecond.isEmpty() || gotSecond == expectSecond); ++i)
            gotSecond = encode(second, path("t2.jpg"));
    });
    a.join();
    b.join();
    EXPECT_EQ(gotFirst, expectFirst);
    EXPECT_EQ(gotSecond, expectSecond);
}

TEST_F(CJpegEncoderTest, BottomUpBgrInputComesOutUpright)
{
    QImage image(64, 48, QImage::Format_RGB888);
    image.fill(Qt::black);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 64; ++x) {
            image.setPixel(x, y, qRgb(220, 30, 30)); // red band at the top
            image.setPixel(x, y + 32, qRgb(30, 30, 220)); // blue band at the bottom
        }
    const QByteArray jpeg = encode(image, path("o.jpg"));
    CJpegEncoder encoder;
    const Bitmap bitmap = toBitmap(image);
    encoder.setImage(bitmap.description, bitmap.pixels.data(), qsizetype(bitmap.pixels.size()));
    // A second write of the same image is the same file, not a flipped one.
    ASSERT_EQ(encoder.writeJpeg(path("o1.jpg").toLocal8Bit().constData()), 1);
    ASSERT_EQ(encoder.writeJpeg(path("o2.jpg").toLocal8Bit().constData()), 1);
    EXPECT_EQ(readFile(path("o1.jpg")), jpeg);
    EXPECT_EQ(readFile(path("o2.jpg")), jpeg);

    const QImage decoded = decodeWithQt(jpeg);
    const QRgb top = decoded.pixel(32, 8), bottom = decoded.pixel(32, 40);
    EXPECT_GT(qRed(top), 180);
    EXPECT_LT(qBlue(top), 70);
    EXPECT_GT(qBlue(bottom), 180);
    EXPECT_LT(qRed(bottom), 70);
}

TEST_F(CJpegEncoderTest, FailuresReturnZeroAndLeaveNoFile)
{
    const Bitmap bitmap = toBitmap(plasmaImage(16, 16, 1));
    CJpegEncoder empty;
    EXPECT_EQ(empty.writeJpeg(path("none.jpg").toLocal8Bit().constData()), 0);
    EXPECT_EQ(empty.writeJpeg(nullptr), 0);

    CJpegEncoder encoder;
    ASSERT_EQ(
        encoder.setImage(bitmap.description, bitmap.pixels.data(), qsizetype(bitmap.pixels.size())),
        1);
    EXPECT_EQ(encoder.writeJpeg(path("missing/dir/x.jpg").toLocal8Bit().constData()), 0);
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("folder"));
    EXPECT_EQ(encoder.writeJpeg(path("folder").toLocal8Bit().constData()), 0);
    EXPECT_TRUE(QFileInfo(path("folder")).isDir());
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList());

    // An existing file is replaced only by a complete encoding.
    QFile old(path("old.jpg"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("keep me");
    old.close();
    CJpegEncoder shortData;
    shortData.setImage(
        bitmap.description, bitmap.pixels.data(), qsizetype(bitmap.pixels.size()) - 1);
    EXPECT_EQ(shortData.writeJpeg(path("old.jpg").toLocal8Bit().constData()), 0);
    EXPECT_EQ(readFile(path("old.jpg")), QByteArray("keep me"));
    EXPECT_EQ(encoder.writeJpeg(path("old.jpg").toLocal8Bit().constData()), 1);
    EXPECT_EQ(decodeWithQt(readFile(path("old.jpg"))).size(), QSize(16, 16));
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"old.jpg"});
}

TEST_F(CJpegEncoderTest, UnusableDescriptionsAreRefused)
{
    const std::vector<uint8_t> pixels(1 << 16, 0x80);
    const auto described = [&](qint32 width, qint32 height) {
        CJpegEncoder encoder;
        const CJpegEncoder::Description d = {40, quint32(width), quint32(height), 1 | 24 << 16};
        encoder.setImage(d, pixels.data(), qsizetype(pixels.size()));
        return encoder.writeJpeg(path("bad.jpg").toLocal8Bit().constData());
    };
    EXPECT_EQ(described(0, 10), 0);
    EXPECT_EQ(described(10, 0), 0);
    EXPECT_EQ(described(-8, 8), 0);
    EXPECT_EQ(described(8, -8), 0); // top-down bitmaps are not what a capture hands over
    EXPECT_EQ(described(70000, 1), 0); // larger than SOF0 can describe
    EXPECT_EQ(described(200, 200), 0); // needs 120,000 bytes, 65,536 given
    EXPECT_EQ(described(8, 8), 1);

    CJpegEncoder encoder;
    EXPECT_EQ(encoder.setImage(CJpegEncoder::Description{}, nullptr, 10), 0);
    EXPECT_EQ(encoder.setImage(CJpegEncoder::Description{}, nullptr, 0), 1);
}
