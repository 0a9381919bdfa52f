#include "recover/Recovery.h"
#include "recover/RecoveryWorker.h"

#include "CutRecordings.h"
#include "recording/RecordingCheck.h"

#include <QCryptographicHash>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <map>
#include <memory>

using namespace cutrec;

namespace {

constexpr char kReference[] = "drf_20250614_142337.mp4";
// The cut recording's name: the next one the camera would have written.
constexpr char kCut[] = "drf_20250614_142345.mp4";

struct Card
{
    QString folder;
    QString originalPath;
    Streams original;
    QByteArray bytes; // of the original
    qint64 moov = 0; // where its index starts
    bool sound = true;
    bool mpeg4 = false;
};

class RecoveryTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir;
        s_cards = new std::map<QString, Card>;
        const std::map<QString, QStringList> options
            // Ten seconds of MPEG-4 with sound: past the 256th sound frame, where FFmpeg's
            // encoder opens a frame with a fill element.
            = {{"h264", {}}, {"h264-silent", {"--no-sound"}},
                {"mpeg4", {"-c", "mpeg4", "--length", "10"}},
                {"mpeg4-silent", {"-c", "mpeg4", "--no-sound"}}, {"mjpeg", {"-c", "mjpeg"}}};
        for (const auto& [name, extra] : options) {
            Card card;
            card.folder = s_dir->filePath(name);
            s_error += makeCard(card.folder, QStringList{"--drf", "2"} + extra);
            // The card's second recording, whose name follows from the length.
            const QString original
                = QDir(card.folder)
                      .filePath(QDir(card.folder)
                                    .entryList({"drf_*.mp4"}, QDir::Files, QDir::Name)
                                    .value(1));
            card.bytes = readFile(original);
            card.original = readStreams(original);
            card.originalPath = original;
            card.moov = indexOffset(card.bytes);
            card.sound = !extra.contains("--no-sound");
            card.mpeg4 = name.startsWith("mpeg4");
            (*s_cards)[name] = card;
        }
    }
    static void TearDownTestSuite()
    {
        delete s_cards;
        delete s_dir;
    }

    void SetUp() override { ASSERT_TRUE(s_error.isEmpty()) << s_error.toStdString(); }

    const Card& card(const QString& name) { return s_cards->at(name); }

    // A folder with the card's reference and the original's first bytes as a cut recording.
    QString cutInto(const Card& c, const QByteArray& bytes)
    {
        m_folders.push_back(std::make_unique<QTemporaryDir>());
        const QDir dir(m_folders.back()->path());
        EXPECT_TRUE(QFile::copy(QDir(c.folder).filePath(kReference), dir.filePath(kReference)));
        EXPECT_TRUE(writeFile(dir.filePath(kCut), bytes));
        return dir.filePath(kCut);
    }

    // Recovers and holds the result against the original: every sample wholly inside the cut
    // comes back bit-identical, at most `videoSlack` pictures and `soundSlack` sound frames of
    // them are missing, no sample is added, timestamps run on without a gap.
    void expectRecovered(const Card& c, qint64 cut, const QByteArray& tail = {}, int videoSlack = 0,
        int soundSlack = 1)
    {
        const QString path = cutInto(c, c.bytes.left(cut) + tail);
        const QByteArray before = QCryptographicHash::hash(readFile(path), QCryptographicHash::Md5);
        const recover::Report report = recover::recoverRecording({path, {}, {}});
        ASSERT_EQ(report.outcome, recover::Outcome::Recovered) << report.message.toStdString();
        EXPECT_EQ(QCryptographicHash::hash(readFile(path), QCryptographicHash::Md5), before);
        EXPECT_EQ(QFileInfo(report.output).fileName(), "drf_20250614_142345_recovered.mp4");

        const Streams got = readStreams(report.output);
        ASSERT_TRUE(got.opened);
        auto inside = [cut](const std::vector<Packet>& packets) {
            return int(std::count_if(packets.begin(), packets.end(),
                [cut](const Packet& p) { return p.pos + p.size <= cut; }));
        };
        const int pictures = inside(c.original.video);
        const int sounds = inside(c.original.sound);
        EXPECT_LE(int(got.video.size()), pictures);
        EXPECT_GE(int(got.video.size()), pictures - videoSlack) << "cut at " << cut;
        EXPECT_LE(int(got.sound.size()), sounds);
        EXPECT_GE(int(got.sound.size()), c.sound ? sounds - soundSlack : 0) << "cut at " << cut;
        EXPECT_EQ(report.videoFrames, got.video.size());
        for (size_t i = 0; i < got.video.size(); ++i)
            ASSERT_EQ(got.video[i], c.original.video[i]) << "picture " << i;
        for (size_t i = 0; i < got.sound.size(); ++i)
            ASSERT_EQ(got.sound[i], c.original.sound[i]) << "sound frame " << i;
        for (const auto* packets : {&got.video, &got.sound}) {
            for (size_t i = 1; i < packets->size(); ++i)
                ASSERT_EQ((*packets)[i].dts, (*packets)[i - 1].dts + (*packets)[i - 1].duration);
        }
        const ProcessResult probe = run("ffprobe", {"-v", "error", report.output});
        EXPECT_EQ(probe.exitCode, 0);
        EXPECT_TRUE(probe.err.isEmpty()) << probe.err.toStdString();
    }

    static QTemporaryDir* s_dir;
    static std::map<QString, Card>* s_cards;
    static QString s_error;
    std::vector<std::unique_ptr<QTemporaryDir>> m_folders;
};

QTemporaryDir* RecoveryTest::s_dir = nullptr;
std::map<QString, Card>* RecoveryTest::s_cards = nullptr;
QString RecoveryTest::s_error;

TEST_F(RecoveryTest, EveryCodecCutAtSeveralPoints)
{
    for (const QString name : {"h264", "h264-silent", "mpeg4", "mpeg4-silent", "mjpeg"}) {
        SCOPED_TRACE(name.toStdString());
        const Card& c = card(name);
        ASSERT_GT(c.original.video.size(), 100u);
        ASSERT_GT(c.moov, 0);
        // A picture without an end marker followed by cut sound cannot be told from its sound.
        const int slack = c.mpeg4 && c.sound ? 1 : 0;
        const Packet& early = c.original.video[10];
        expectRecovered(c, early.pos + early.size / 2, {}, slack, 1 + slack * 2);
        expectRecovered(c, c.original.video[60].pos + 3, {}, slack, 1 + slack * 2);
        expectRecovered(c, c.moov / 2 + 7, {}, slack, 1 + slack * 2);
        expectRecovered(c, c.moov - 3, {}, slack, 1 + slack * 2);
        expectRecovered(c, c.moov, {}, 0, 0);
        expectRecovered(c, c.moov + 100, {}, 0, 0); // cut inside the index
    }
}

TEST_F(RecoveryTest, WhatACardLeavesAfterTheCutEndsTheWalk)
{
    for (const QString name : {"h264", "mpeg4-silent", "mjpeg"}) {
        SCOPED_TRACE(name.toStdString());
        const Card& c = card(name);
        QRandomGenerator random(24);
        QByteArray noise(64 * 1024, '\0');
        random.fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
        // An MPEG-4 picture has no end marker: the last one before garbage stays only when it
        // decodes cleanly with the garbage behind it.
        const int slack = c.mpeg4 ? 1 : 0;
        const Packet& boundary = c.original.video[45];
        expectRecovered(c, boundary.pos + boundary.size, noise, slack, 1);
        expectRecovered(c, c.original.video[70].pos + 100, noise, slack, 1);
        expectRecovered(c, c.moov / 2, QByteArray(256 * 1024, '\0'), slack, 1);
    }
}

TEST_F(RecoveryTest, NothingToRecover)
{
    const Card& c = card("h264");
    const QByteArray ftyp = c.bytes.left(32);
    const QByteArray openMdat = QByteArray("\0\0\0\0mdat", 8);
    for (const QByteArray& bytes : {ftyp + openMdat, ftyp + openMdat + QByteArray(100000, '\0'),
             c.bytes.left(c.moov) + QByteArray(8, '\0')}) {
        const QString path = cutInto(c, bytes);
        const recover::Report report = recover::recoverRecording({path, {}, {}});
        if (bytes.size() > c.moov) {
            EXPECT_EQ(report.outcome, recover::Outcome::Recovered); // index missing, data whole
            continue;
        }
        EXPECT_EQ(report.outcome, recover::Outcome::NothingToRecover) << bytes.size();
        EXPECT_FALSE(report.message.isEmpty());
        EXPECT_EQ(QDir(QFileInfo(path).path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }
    // An intact recording is left alone.
    const recover::Report intact = recover::recoverRecording({c.originalPath, {}, {}});
    EXPECT_EQ(intact.outcome, recover::Outcome::NothingToRecover);
}

TEST_F(RecoveryTest, ReferenceOfAnotherCodecIsRefused)
{
    const QString h264Cut = cutInto(card("h264"), card("h264").bytes.left(card("h264").moov / 2));
    const recover::Report refused
        = recover::recoverRecording({h264Cut, QDir(card("mjpeg").folder).filePath(kReference), {}});
    EXPECT_EQ(refused.outcome, recover::Outcome::ReferenceRefused);
    EXPECT_TRUE(refused.message.contains("H.264") && refused.message.contains("Motion JPEG"))
        << refused.message.toStdString();
    const QString mjpegCut
        = cutInto(card("mjpeg"), card("mjpeg").bytes.left(card("mjpeg").moov / 2));
    const recover::Report reverse = recover::recoverRecording(
        {mjpegCut, QDir(card("mpeg4").folder).filePath(kReference), {}});
    EXPECT_EQ(reverse.outcome, recover::Outcome::ReferenceRefused) << reverse.message.toStdString();
    EXPECT_EQ(QDir(QFileInfo(mjpegCut).path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    // A reference that is itself cut has no index to lend.
    const recover::Report cutReference = recover::recoverRecording({h264Cut, h264Cut, {}});
    EXPECT_EQ(cutReference.outcome, recover::Outcome::ReferenceRefused);
}

TEST_F(RecoveryTest, ReferenceIsTheNearestHealthyRecordingOfTheSameKind)
{
    QTemporaryDir dir;
    // drf_ 14:23:37, evt_ 14:23:41, drf_ 14:23:45, evt_ 14:23:49
    ASSERT_TRUE(makeCard(dir.path(), {"--drf", "2", "--evt", "2"}).isEmpty());
    const QDir d(dir.path());
    const QString cut = d.filePath("drf_20250614_142345.mp4");
    const QByteArray whole = readFile(cut);
    ASSERT_TRUE(writeFile(cut, whole.left(indexOffset(whole) / 2)));
    EXPECT_EQ(recover::findReference(cut), d.filePath("drf_20250614_142337.mp4"));
    EXPECT_EQ(recover::findReference(d.filePath("evt_20250614_142349.mp4")),
        d.filePath("evt_20250614_142341.mp4"));
    // Alone in its folder, a cut recording has no reference.
    QTemporaryDir alone;
    ASSERT_TRUE(QFile::copy(cut, QDir(alone.path()).filePath("drf_20250614_142345.mp4")));
    const recover::Report report = recover::recoverRecording(
        {QDir(alone.path()).filePath("drf_20250614_142345.mp4"), {}, {}});
    EXPECT_EQ(report.outcome, recover::Outcome::NoReference);
    EXPECT_EQ(recover::exitStatus(report.outcome), 1);
}

TEST_F(RecoveryTest, CutRecordingLongerThanItsReference)
{
    // The reference's chunk pattern runs out after 3 s; the walk continues it with its rhythm.
    QTemporaryDir dir;
    const QDir d(dir.path());
    ASSERT_TRUE(makeCard(dir.filePath("long"), {"--drf", "1", "--length", "12"}).isEmpty());
    ASSERT_TRUE(
        makeCard(dir.path(), {"--drf", "1", "--length", "3", "--start", "2025-06-14 15:00:00"})
            .isEmpty());
    const QString original = d.filePath("long/drf_20250614_142337.mp4");
    const QByteArray bytes = readFile(original);
    const Streams streams = readStreams(original);
    const qint64 cut = indexOffset(bytes) - 1000;
    const QString path = d.filePath(kCut);
    ASSERT_TRUE(writeFile(path, bytes.left(cut)));
    const recover::Report report = recover::recoverRecording({path, {}, {}});
    ASSERT_EQ(report.outcome, recover::Outcome::Recovered) << report.message.toStdString();
    EXPECT_EQ(QFileInfo(report.reference).fileName(), "drf_20250614_150000.mp4");
    const Streams got = readStreams(report.output);
    const auto inside = std::count_if(streams.video.begin(), streams.video.end(),
        [cut](const Packet& p) { return p.pos + p.size <= cut; });
    EXPECT_EQ(int(got.video.size()), int(inside));
    EXPECT_GT(got.sound.size(), 350u);
    for (size_t i = 0; i < got.video.size(); ++i)
        ASSERT_EQ(got.video[i], streams.video[i]) << "picture " << i;
    for (size_t i = 0; i < got.sound.size(); ++i)
        ASSERT_EQ(got.sound[i], streams.sound[i]) << "sound frame " << i;
}

TEST_F(RecoveryTest, AnExistingFileIsNeverOverwritten)
{
    const Card& c = card("h264");
    const QString path = cutInto(c, c.bytes.left(c.moov / 2));
    const recover::Report first = recover::recoverRecording({path, {}, {}});
    ASSERT_EQ(first.outcome, recover::Outcome::Recovered);
    const QByteArray kept = readFile(first.output);
    const recover::Report second = recover::recoverRecording({path, {}, {}});
    EXPECT_EQ(second.outcome, recover::Outcome::WriteFailed);
    EXPECT_EQ(recover::exitStatus(second.outcome), 2);
    EXPECT_EQ(readFile(first.output), kept);
    // No temporary file is left behind.
    EXPECT_EQ(QDir(QFileInfo(path).path()).entryList(QDir::Files | QDir::Hidden).size(), 3);
}

TEST_F(RecoveryTest, WorkerReportsProgressAndCanBeCancelled)
{
    const Card& c = card("mjpeg");
    const QString path = cutInto(c, c.bytes.left(c.moov - 1));
    QThread thread;
    thread.start();
    auto runOnThread = [&](bool cancelFirst, std::vector<int>& progress) {
        recover::RecoveryWorker worker({path, {}, {}});
        worker.moveToThread(&thread);
        recover::Report result;
        QEventLoop loop;
        QObject::connect(&worker, &recover::RecoveryWorker::progress, &loop,
            [&](int permille) { progress.push_back(permille); });
        QObject::connect(
            &worker, &recover::RecoveryWorker::finished, &loop, [&](const recover::Report& r) {
                result = r;
                loop.quit();
            });
        if (cancelFirst)
            worker.cancel();
        QMetaObject::invokeMethod(&worker, &recover::RecoveryWorker::run, Qt::QueuedConnection);
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        loop.exec();
        return result;
    };
    std::vector<int> cancelledProgress;
    EXPECT_EQ(runOnThread(true, cancelledProgress).outcome, recover::Outcome::Cancelled);
    EXPECT_EQ(QDir(QFileInfo(path).path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    std::vector<int> progress;
    const recover::Report done = runOnThread(false, progress);
    thread.quit();
    thread.wait();
    EXPECT_EQ(done.outcome, recover::Outcome::Recovered);
    ASSERT_FALSE(progress.empty());
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(progress.back(), 1000);
}

} // namespace
