#include "recording/EventIndex.h"
#include "recording/PVEXUDAT.h"
#include "recording/PositionSentence.h"
#include "recording/TelemetryBlock.h"

#include "support/RecordingBuilder.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cctype>

using namespace recording;
using namespace testsupport;

// The seek-based reader must give exactly what the whole-file walk gives, for every damaged
// file: same code, same block, same view-mode verdict.
namespace {

struct Outcome
{
    int code;
    std::vector<uint8_t> block;
    int mismatches;
};

Outcome readWhole(const QByteArray& bytes, int view, uint32_t key)
{
    Outcome out{0, {}, 0};
    out.code = readTelemetryBlockFromMemory(
        std::span(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())), view,
        key, out.block, [&out](int) { ++out.mismatches; });
    return out;
}

Outcome readSeeking(const QByteArray& bytes, int view, uint32_t key)
{
    Outcome out{0, {}, 0};
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    out.code = readTelemetryBlock(buffer, view, key, out.block, [&out](int) { ++out.mismatches; });
    return out;
}

void expectSameOutcome(const QByteArray& bytes, const std::string& what)
{
    for (int view : {0, 1}) {
        for (uint32_t key : {0u, 0x00000100u, 0xDEADBEEFu}) {
            const Outcome whole = readWhole(bytes, view, key);
            const Outcome seeking = readSeeking(bytes, view, key);
            ASSERT_EQ(whole.code, seeking.code) << what << " view " << view << " key " << key;
            ASSERT_EQ(whole.block, seeking.block) << what;
            ASSERT_EQ(whole.mismatches, seeking.mismatches) << what;
        }
    }
}

// Deterministic bytes for the mutations, so a failure reproduces.
uint32_t nextRandom(uint32_t& state)
{
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

bool looksLikeType(const QByteArray& type)
{
    for (char c : type) {
        if (!std::isalnum(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

QList<QByteArray> baseRecordings()
{
    const QList<QByteArray> events{"2024/05/01 12:35:10 G-sensor", "2024/05/01 12:35:30"};
    return {
        RecordingBuilder().ftyp().mdat(3000).udat(Telemetry::drive(5)).evti(events).bytes(),
        RecordingBuilder().ftyp().udat(Telemetry::drive(3)).mdat(100).bytes(),
        RecordingBuilder()
            .ftyp()
            .mdat(64)
            .mdat(70000)
            .raw(box("free", QByteArray(12, 0)))
            .udat(Telemetry::drive(2))
            .bytes(),
        RecordingBuilder()
            .raw(box("sc01", QByteArray(20, 's')))
            .mdat(500)
            .udat(Telemetry::drive(2))
            .scrambleFirstSize(0xDEADBEEF)
            .bytes(),
        // A video box in the 64-bit size form.
        RecordingBuilder()
            .ftyp()
            .raw(bigEndian32(1) + "mdat" + bigEndian32(0) + bigEndian32(16 + 300)
                + QByteArray(300, 'm'))
            .udat(Telemetry::drive(2))
            .bytes(),
    };
}

} // namespace

TEST(TelemetryCorpusTest, SeekingReaderEqualsWholeFileWalkOnDamagedFiles)
{
    uint32_t random = 0x2545F491;
    int cases = 0;
    for (const QByteArray& base : baseRecordings()) {
        expectSameOutcome(base, "base");
        // Truncations, densely near the start where the headers are.
        for (qsizetype length = 0; length < base.size(); length += length < 200 ? 1 : 97) {
            expectSameOutcome(base.left(length), "cut at " + std::to_string(length));
            ++cases;
        }
        // Every size field of the top-level boxes set to awkward values.
        for (qsizetype at = 0; at + 8 <= base.size(); at += 4) {
            if (at >= 256 && !looksLikeType(base.mid(at + 4, 4)))
                continue;
            for (uint32_t size : {0u, 1u, 7u, 8u, 9u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
                QByteArray damaged = base;
                damaged.replace(at, 4, bigEndian32(size));
                expectSameOutcome(damaged, "size at " + std::to_string(at));
                ++cases;
            }
        }
        // Random overwrites of one to four bytes.
        for (int i = 0; i < 300; ++i) {
            QByteArray damaged = base;
            const int count = 1 + int(nextRandom(random) % 4);
            for (int k = 0; k < count; ++k)
                damaged[qsizetype(nextRandom(random) % uint32_t(base.size()))]
                    = char(nextRandom(random));
            expectSameOutcome(damaged, "random " + std::to_string(i));
            ++cases;
        }
    }
    EXPECT_GT(cases, 1000);
}

TEST(TelemetryCorpusTest, FileAndDeviceReadersAgreeOnDisk)
{
    QTemporaryDir dir;
    int index = 0;
    for (const QByteArray& base : baseRecordings()) {
        for (qsizetype length :
            {qsizetype(0), qsizetype(5), qsizetype(40), base.size() - 3, base.size()}) {
            const QString path = dir.filePath(QStringLiteral("drf_%1.mp4").arg(index++));
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(base.left(length));
            file.close();
            std::vector<uint8_t> a;
            std::vector<uint8_t> b;
            const int code = readTelemetryBlock(path.toLocal8Bit(), 0, 0, a, {});
            EXPECT_EQ(code, readTelemetryBlockWholeFile(path.toLocal8Bit(), 0, 0, b, {}));
            EXPECT_EQ(code, readWhole(base.left(length), 0, 0).code);
            EXPECT_EQ(a, b);
        }
    }
}

// Inputs kept from fuzzing (the minimised corpus, and any input that ever broke a parser):
// every parser must take each in stride.
TEST(TelemetryCorpusTest, FuzzRegressionInputs)
{
    const QDir dir(QStringLiteral(ZYN_REGRESSION_DIR));
    const QStringList names = dir.entryList(QDir::Files);
    EXPECT_FALSE(names.isEmpty());
    for (const QString& name : names) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        expectSameOutcome(bytes, name.toStdString());
        const Outcome whole = readWhole(bytes, 0, 0);
        PVEXUDAT udat;
        udat.setData(whole.block.data(), whole.block.size());
        udat.check();
        udat.setRecordCount(0xFFFFFFFF);
        for (uint32_t i : {0u, 1u, 1000u, 0xFFFFFFFEu}) {
            udat.gpsRecord(i);
            udat.sensorRecord(i);
            udat.timeRecord(i);
        }
        EventIndex events;
        loadEventRecords(
            std::span(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())),
            events);
        eventMarkerPositions(events, QDateTime(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC), 60);
        const TelemetryRecord record
            = parsePositionSentence(sentenceText(bytes.constData(), size_t(bytes.size())));
        formatCoordinate(record.latitude);
        dateTimeText(record);
    }
}
