#include "recording/UdatWriter.h"
#include "support/CardFile.h"
#include "Nmea.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <cstring>

using namespace cardfile;

namespace {

TEST(UdatWriter, BlockLayoutMatchesTheRecorder)
{
    UdatWriter writer("RTCD");
    writer.addRecord(0x01020304u, "$GPRMC,first", 1.5f, -2.0f, 0.25f);
    writer.addRecord(0x0a0b0c0du, "$GPRMC,second", 0, 0, 1);
    const QByteArray udat = writer.udatBox();

    ASSERT_EQ(udat.size(), 8 + (8 + 2 * 4) + (8 + 2 * 128) + (8 + 2 * 12));
    EXPECT_EQ(bigEndian32(udat, 0), std::uint32_t(udat.size()));
    EXPECT_EQ(udat.mid(4, 4), "udat");
    const std::uint32_t t = bigEndian32(udat, 8);
    EXPECT_EQ(t, 16u);
    EXPECT_EQ(udat.mid(12, 4), "RTCD");
    EXPECT_EQ(udat.mid(16, 8), QByteArray::fromHex("040302010d0c0b0a")); // little-endian
    const std::uint32_t g = bigEndian32(udat, 8 + t);
    EXPECT_EQ(g, 8u + 256u);
    EXPECT_EQ(udat.mid(12 + t, 4), "GPSI");
    EXPECT_EQ(udat.mid(16 + t, 128), QByteArray("$GPRMC,first").leftJustified(128, '\0'));
    EXPECT_EQ(udat.mid(16 + t + 128, 14), QByteArray("$GPRMC,second", 14));
    EXPECT_EQ(bigEndian32(udat, 8 + t + g), 8u + 24u);
    EXPECT_EQ(udat.mid(12 + t + g, 4), "SENS");
    float first[3];
    std::memcpy(first, udat.constData() + 16 + t + g, sizeof first);
    EXPECT_EQ(first[0], 1.5f);
    EXPECT_EQ(first[1], -2.0f);
    EXPECT_EQ(first[2], 0.25f);
    EXPECT_EQ(udat.mid(16 + t + g, 4), QByteArray::fromHex("0000c03f")); // 1.5f, little-endian
}

TEST(UdatWriter, OverlongSentenceStillEndsInNul)
{
    UdatWriter writer;
    writer.addRecord(0, QByteArray(300, 'x'), 0, 0, 0);
    const auto t = telemetry(QByteArray("\0\0\0\x08"
                                        "ftyp",
                                 8)
        + writer.udatBox());
    ASSERT_TRUE(t);
    EXPECT_EQ(t->sentences.first(), QByteArray(127, 'x'));
}

TEST(UdatWriter, EventRecordsHoldTheMomentNulPadded)
{
    const QDateTime moment(QDate(2025, 6, 14), QTime(9, 5, 7), QTimeZone(3 * 3600));
    const QByteArray record = UdatWriter::eventRecord(moment);
    ASSERT_EQ(record.size(), 256);
    EXPECT_EQ(record, QByteArray("2025/06/14 09:05:07").leftJustified(256, '\0'));
    const QByteArray box = UdatWriter::eventBox({moment, moment.addSecs(70)});
    EXPECT_EQ(bigEndian32(box, 0), 8u + 512u);
    EXPECT_EQ(box.mid(4, 4), "EVTI");
    EXPECT_EQ(eventTexts(box), (QList<QByteArray>{"2025/06/14 09:05:07", "2025/06/14 09:06:17"}));
}

// Whatever length the video part ends at, the appended boxes stay reachable by the top-level
// walk and the event index starts where a 4-byte-stride scan looks.
TEST(UdatWriter, AppendKeepsBoxesWalkableAndEventIndexAligned)
{
    QTemporaryDir dir;
    UdatWriter writer;
    writer.addRecord(1, "$GPRMC,x", 0, 0, 1);
    const QDateTime moment(QDate(2025, 1, 2), QTime(3, 4, 5));
    for (int videoSize = 16; videoSize < 20; ++videoSize) {
        const QString path = dir.filePath(QString::number(videoSize));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(UdatWriter::box("ftyp", QByteArray(videoSize - 8, 'i')));
        file.close();
        ASSERT_EQ(
            UdatWriter::appendToFile(path, writer.udatBox(), UdatWriter::eventBox({moment})), 0);

        const QByteArray data = readAll(path);
        const auto t = telemetry(data);
        ASSERT_TRUE(t) << videoSize;
        EXPECT_EQ(t->sentences, QList<QByteArray>{"$GPRMC,x"});
        const QList<Box> boxes = topLevelBoxes(data);
        EXPECT_EQ(boxes.size(), videoSize % 4 ? 3 : 2) << videoSize; // "free" only when needed
        EXPECT_EQ(boxes.last().offset % 4, 0);
        EXPECT_EQ(eventIndexOffset(data) % 4, 0);
        EXPECT_EQ(eventTexts(data), QList<QByteArray>{"2025/01/02 03:04:05"});
    }
    EXPECT_EQ(UdatWriter::appendToFile(dir.filePath("missing/file"), writer.udatBox(), {}), 1);
}

TEST(Nmea, ChecksumOfAReceiverSentence)
{
    const QByteArray sentence
        = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A";
    EXPECT_EQ(nmea::checksum(sentence), 0x6Au);
    EXPECT_TRUE(checksumValid(sentence));
}

TEST(Nmea, RmcSentenceFields)
{
    RmcFix fix;
    fix.utc = QDateTime(QDate(2025, 6, 14), QTime(1, 30, 0), QTimeZone(3 * 3600));
    fix.latitude = -33.8688;
    fix.longitude = -70.99999999; // rounds up into the next whole degree
    fix.speedKnots = 12.345;
    fix.course = 7.5;
    const QByteArray valid = nmea::rmcSentence(fix);
    EXPECT_TRUE(
        valid.startsWith("$GPRMC,223000.000,A,3352.1280,S,07100.0000,W,12.35,7.50,130625,,,A*"))
        << valid.constData();
    EXPECT_TRUE(checksumValid(valid)) << valid.constData();

    fix.valid = false;
    const QByteArray noFix = nmea::rmcSentence(fix);
    EXPECT_TRUE(noFix.startsWith("$GPRMC,223000.000,V,,,,,,,130625,,,N*")) << noFix.constData();
    EXPECT_TRUE(checksumValid(noFix));
}

} // namespace
