#include "jpeg/JpegTestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace jpegtest;

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

// T.81 tables K.1 and K.2 in natural (row-major) order.
const int k1[64] = {16, 11, 10, 16, 24, 40, 51, 61, 12, 12, 14, 19, 26, 58, 60, 55, 14, 13, 16, 24,
    40, 57, 69, 56, 14, 17, 22, 29, 51, 87, 80, 62, 18, 22, 37, 56, 68, 109, 103, 77, 24, 35, 55,
    64, 81, 104, 113, 92, 49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
const int k2[64] = {17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99, 24, 26, 56, 99,
    99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

QByteArray zigZagTable(int id, const int* natural)
{
    QByteArray out(1, char(id));
    for (int d = 0; d < 15; ++d)
        for (int i = 0; i <= d; ++i) {
            const int row = d % 2 ? i : d - i, col = d - row;
            if (row < 8 && col < 8)
                out.append(char(natural[row * 8 + col]));
        }
    return out;
}

std::vector<uint8_t> markers(const std::vector<Segment>& segments)
{
    std::vector<uint8_t> out;
    for (const Segment& s : segments)
        out.push_back(s.marker);
    return out;
}

class JpegFileTest : public ::testing::Test
{
protected:
    QByteArray encodeImage(const QImage& image) { return encode(image, m_dir.filePath("f.jpg")); }
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(JpegFileTest, SegmentsTablesAndHeaderOfAFullFrame)
{
    const QByteArray jpeg = encodeImage(sceneImage(640, 480));
    QByteArray scan;
    const std::vector<Segment> segments = parseSegments(jpeg, &scan);
    // SOI, DQT, DQT, DHT, SOF0, SOS, EOI: no APP0 (no JFIF header), no DRI
    ASSERT_EQ(markers(segments), (std::vector<uint8_t>{0xD8, 0xDB, 0xDB, 0xC4, 0xC0, 0xDA, 0xD9}));
    EXPECT_FALSE(scan.isEmpty());
    EXPECT_EQ(jpeg.right(2), bytes({0xFF, 0xD9}));

    // Luminance: K.1 but for three zig-zag positions; chrominance: K.2.
    QByteArray luma = zigZagTable(0, k1);
    luma[1 + 22] = char(36);
    luma[1 + 42] = char(66);
    luma[1 + 43] = char(57);
    EXPECT_EQ(segments[1].payload, luma);
    EXPECT_EQ(segments[2].payload, zigZagTable(1, k2));
    EXPECT_EQ(jpeg.mid(2, 4), bytes({0xFF, 0xDB, 0x00, 0x43}));

    EXPECT_EQ(segments[4].payload,
        bytes({0x08, 0x01, 0xE0, 0x02, 0x80, 0x03, 1, 0x11, 0, 2, 0x11, 1, 3, 0x11, 1}));
    EXPECT_EQ(segments[5].payload, bytes({0x03, 1, 0x00, 2, 0x11, 3, 0x11, 0x00, 0x3F, 0x00}));
}

TEST_F(JpegFileTest, HuffmanSegmentHoldsTheFourStandardTables)
{
    const QImage image = plasmaImage(16, 16, 1);
    const QByteArray jpeg = encodeImage(image);
    const std::vector<Segment> ours = parseSegments(jpeg);
    ASSERT_EQ(ours.size(), 7u);
    const QByteArray& dht = ours[3].payload;
    ASSERT_EQ(dht.size(), 0x01A2 - 2);

    // libjpeg writes the same Annex K tables, one DHT segment per table, when not optimising.
    const QByteArray reference
        = runFilter(QStringLiteral("cjpeg"), {QStringLiteral("-baseline")}, bmpFile(image));
    ASSERT_FALSE(reference.isEmpty()) << "cjpeg is needed for this test";
    QByteArray standard[0x12];
    for (const Segment& segment : parseSegments(reference))
        if (segment.marker == 0xC4)
            for (qsizetype at = 0; at < segment.payload.size();) {
                int count = 0;
                for (int i = 1; i <= 16; ++i)
                    count += uint8_t(segment.payload[at + i]);
                standard[uint8_t(segment.payload[at])] = segment.payload.mid(at, 17 + count);
                at += 17 + count;
            }
    EXPECT_EQ(dht, standard[0x00] + standard[0x10] + standard[0x01] + standard[0x11]);
    EXPECT_EQ(standard[0x10].size(), 17 + 162);
}

TEST_F(JpegFileTest, PaddedImageKeepsItsSizeAndPadsWithMidGrey)
{
    const QColor orange(200, 60, 30);
    QByteArray jpeg = encodeImage(uniformImage(641, 481, orange));
    std::vector<Segment> segments = parseSegments(jpeg);
    ASSERT_EQ(segments.size(), 7u);
    EXPECT_EQ(segments[4].payload.mid(1, 4), bytes({0x01, 0xE1, 0x02, 0x81}));
    EXPECT_EQ(decodeWithQt(jpeg).size(), QSize(641, 481));
    EXPECT_EQ(decodeWithDjpeg(jpeg).size(), QSize(641, 481));
    // The scan covers 81 x 61 block positions of the padded 648 x 488 area.
    EXPECT_TRUE(decodeScan(jpeg, 81 * 61).ok);

    // Declare the padded size to see the added columns and rows: they hold grey, not a copy
    // of the orange edge (the edge blocks blur the two a little).
    const qsizetype sof = jpeg.indexOf(bytes({0xFF, 0xC0}));
    jpeg.replace(sof + 5, 4, bytes({0x01, 0xE8, 0x02, 0x88}));
    const QImage padded = decodeWithDjpeg(jpeg);
    ASSERT_EQ(padded.size(), QSize(648, 488));
    double sum[3] = {0, 0, 0};
    int count = 0;
    for (int y = 0; y < 488; ++y)
        for (int x = 0; x < 648; ++x)
            if (x >= 641 || y >= 481) {
                const QRgb p = padded.pixel(x, y);
                sum[0] += qRed(p);
                sum[1] += qGreen(p);
                sum[2] += qBlue(p);
                ++count;
            }
    for (double s : sum)
        EXPECT_NEAR(s / count, 128, 12);
    const QRgb inside = padded.pixel(320, 240);
    EXPECT_NEAR(qRed(inside), orange.red(), 4);
    EXPECT_NEAR(qGreen(inside), orange.green(), 4);
    EXPECT_NEAR(qBlue(inside), orange.blue(), 4);
}
