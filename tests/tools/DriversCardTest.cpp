// A card as drivers leave it, through every command: the camera's recordings of three kinds,
// a clip exported beside them with its drawn version, GPX, CSV and checksum list, the viewer's
// copy of a recording, a recording the power cut and its recovered copy, and a hidden
// unfinished write. Each command must see the same five recordings of one drive.
#include "support/Process.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using testsupport::ProcessResult;
using testsupport::runProcess;

const QStringList kRecordings = {"drf_20250614_142337.mp4", "evt_20250614_142347.mp4",
    "muevt_20250614_142357.mp4", "drf_20250614_142407.mp4", "evt_20250614_142417.mp4"};

// drf 14:23:37, evt :47, muevt :57, drf 14:24:07, evt :17; ten seconds each, one drive.
class DriversCard
{
public:
    static DriversCard& shared()
    {
        static DriversCard card;
        return card;
    }
    QString folder() const { return m_dir.filePath("card"); }
    bool ok() const { return m_ok; }
    QString error() const { return m_error; }

private:
    DriversCard()
    {
        const ProcessResult made = runProcess(QStringLiteral(ZYN_CARDGEN),
            {"--length", "10", "--drf", "2", "--evt", "2", "--muevt", "1", "--seed", "3", "--start",
                "2025-06-14 14:23:37", folder()});
        m_ok = made.exitCode == 0
            && QDir(folder()).entryList(QDir::Files, QDir::Name) == sorted(kRecordings);
        m_error = QString::fromLocal8Bit(made.err);
    }
    static QStringList sorted(QStringList list)
    {
        list.sort();
        return list;
    }
    QTemporaryDir m_dir;
    bool m_ok = false;
    QString m_error;
};

class DriversCardTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        DriversCard& card = DriversCard::shared();
        ASSERT_TRUE(card.ok()) << card.error().toStdString();
        for (const QString& name : kRecordings)
            ASSERT_TRUE(QFile::copy(QDir(card.folder()).filePath(name), path(name)));
    }

    QString path(const QString& name) const { return m_dir.filePath(name); }
    QStringList namesOf(const QJsonArray& paths) const
    {
        QStringList names;
        for (const QJsonValue& p : paths)
            names << QFileInfo(p.toString()).fileName();
        return names;
    }
    ProcessResult run(const char* program, const QStringList& args) const
    {
        return runProcess(QString::fromLatin1(program), args);
    }

    // What drivers do to a card: a clip exported into its folder (inside the first
    // recording, so nearer in time to the cut one than any other continuous recording),
    // drawn too and with its side files, a copy, a power cut, an unfinished write.
    void leaveAsDriversDo()
    {
        const ProcessResult clip = run(ZYN_CLIP,
            {"--from", "2025-06-14 14:23:44", "--to", "2025-06-14 14:23:46", "--gpx", "--csv",
                "--overlay", "-o", m_dir.path(), path(kRecordings[0])});
        ASSERT_EQ(clip.exitCode, 0) << clip.err.toStdString();
        ASSERT_TRUE(QFile::exists(path("clip_drf_20250614_142344.mp4"))) << clip.err.toStdString();
        ASSERT_TRUE(QFile::exists(path("clip_drf_20250614_142344_overlay.mp4")));
        ASSERT_TRUE(QFile::copy(path(kRecordings[0]), path("copy_drf_20250614_142337.mp4")));
        QFile cut(path(kRecordings[3]));
        ASSERT_TRUE(cut.resize(cut.size() * 9 / 10)); // the index and the last second lost
        QFile part(path(".clip_evt_20250614_142420.mp4.1.part"));
        ASSERT_TRUE(part.open(QIODevice::WriteOnly));
        part.write(QByteArray(5000, 'p'));
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(DriversCardTest, EveryCommandSeesTheCamerasRecordingsOfOneDrive)
{
    leaveAsDriversDo();

    // Recovery takes the other continuous recording, never the clip nearer in time.
    const ProcessResult recovered = run(ZYN_RECOVER, {path(kRecordings[3])});
    ASSERT_EQ(recovered.exitCode, 0) << recovered.err.toStdString();
    EXPECT_EQ(recovered.out.trimmed(), path("drf_20250614_142407_recovered.mp4").toLocal8Bit());
    EXPECT_TRUE(recovered.err.contains("index from " + path(kRecordings[0]).toLocal8Bit()))
        << recovered.err.toStdString();
    QStringList expected = kRecordings;
    expected[3] = "drf_20250614_142407_recovered.mp4";

    // One drive of the five, the recovered copy in place of the cut one.
    const ProcessResult summary = run(ZYN_TELEMETRY, {"--summary", "--json", m_dir.path()});
    ASSERT_EQ(summary.exitCode, 0) << summary.err.toStdString();
    const QJsonArray drives
        = QJsonDocument::fromJson(summary.out).object().value("drives").toArray();
    ASSERT_EQ(drives.size(), 1) << summary.out.toStdString();
    EXPECT_EQ(namesOf(drives[0].toObject().value("recordings").toArray()), expected);
    EXPECT_EQ(drives[0].toObject().value("duration_s").toInt(), 50);

    // The events of the camera's event recordings only, not of the clip or the copy.
    const ProcessResult events = run(ZYN_TELEMETRY, {"--events", m_dir.path()});
    ASSERT_EQ(events.exitCode, 0) << events.err.toStdString();
    for (const QByteArray& line : events.out.split('\n').mid(1)) {
        if (line.isEmpty())
            continue;
        const QString name = QFileInfo(QString::fromLatin1(line.split(',').first())).fileName();
        EXPECT_TRUE(expected.contains(name)) << line.toStdString();
    }
    EXPECT_TRUE(events.out.contains(",camera\n")) << events.out.toStdString();

    // One row a second of the four recordings with telemetry; the recovered one has none,
    // and is named for it.
    const ProcessResult csv = run(ZYN_TELEMETRY, {"--csv", m_dir.path()});
    EXPECT_EQ(csv.exitCode, 1);
    EXPECT_EQ(csv.err.count('\n'), 1) << csv.err.toStdString();
    EXPECT_TRUE(csv.err.contains("drf_20250614_142407_recovered.mp4")) << csv.err.toStdString();
    QStringList named;
    for (const QByteArray& line : csv.out.split('\n').mid(1)) {
        const QString name = QFileInfo(QString::fromLatin1(line.split(',').first())).fileName();
        if (!line.isEmpty() && !named.contains(name))
            named << name;
    }
    EXPECT_EQ(named, QStringList({kRecordings[0], kRecordings[1], kRecordings[2], kRecordings[4]}));

    // A span across the cut recording takes the recovered copy and goes on after it; the
    // recordings used are the camera's.
    QTemporaryDir out;
    const ProcessResult clip = run(ZYN_CLIP,
        {"--from", "2025-06-14 14:24:00", "--to", "2025-06-14 14:24:25", "-o", out.path(),
            m_dir.path()});
    ASSERT_EQ(clip.exitCode, 0) << clip.err.toStdString();
    EXPECT_FALSE(clip.err.contains("cannot be read")) << clip.err.toStdString();
    QByteArray lists;
    for (const QString& list : QDir(out.path()).entryList({"*.sha256"}, QDir::Files)) {
        QFile file(QDir(out.path()).filePath(list));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        lists += file.readAll();
    }
    EXPECT_TRUE(lists.contains("drf_20250614_142407_recovered.mp4")) << lists.toStdString();
    EXPECT_TRUE(lists.contains(kRecordings[4].toLatin1())) << lists.toStdString();
    EXPECT_FALSE(lists.contains("clip_drf_20250614_142344")) << lists.toStdString();
    EXPECT_FALSE(lists.contains("copy_")) << lists.toStdString();
}

// Before recovery the cut recording is named and left out, and the span goes on after it.
TEST_F(DriversCardTest, ASpanGoesOnPastARecordingThatCannotBeRead)
{
    leaveAsDriversDo();
    QTemporaryDir out;
    const ProcessResult clip = run(ZYN_CLIP,
        {"--from", "2025-06-14 14:24:00", "--to", "2025-06-14 14:24:25", "-o", out.path(),
            m_dir.path()});
    // The cut recording's seconds were asked for and not written: the status says so.
    ASSERT_EQ(clip.exitCode, 1) << clip.err.toStdString();
    EXPECT_TRUE(clip.err.contains(kRecordings[3].toLatin1() + " cannot be read"))
        << clip.err.toStdString();
    EXPECT_FALSE(clip.err.contains("before the span")) << clip.err.toStdString();
    EXPECT_EQ(QDir(out.path()).entryList({"clip_*.mp4"}, QDir::Files).size(), 2)
        << clip.err.toStdString();

    // Nothing to export: the message says what the recordings cover.
    const ProcessResult none = run(ZYN_CLIP,
        {"--from", "2025-06-14 15:00:00", "--to", "2025-06-14 15:00:10", "-o", out.path(),
            m_dir.path()});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_TRUE(none.err.contains("the recordings cover 2025-06-14 14:23:37 to 2025-06-14 "
                                  "14:24:07, 2025-06-14 14:24:17 to 2025-06-14 14:24:27"))
        << none.err.toStdString();
}

// Four bytes "EVTI" in the picture data, where a scan of the whole file stepping by four found
// them, are no event index: the camera writes its index after the telemetry block.
TEST_F(DriversCardTest, TheLettersEvtiInThePictureDataAreNoEvents)
{
    const ProcessResult clean = run(ZYN_TELEMETRY, {"--events", path(kRecordings[1])});
    ASSERT_EQ(clean.exitCode, 0) << clean.err.toStdString();
    ASSERT_TRUE(clean.out.contains(",camera\n"));
    QFile file(path(kRecordings[1]));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    const qsizetype media = bytes.indexOf("mdat") + 4;
    ASSERT_GT(media, 4);
    const qsizetype planted = (media + 4096) & ~qsizetype(3);
    bytes.replace(planted, 8,
        QByteArray("\x00\x10\x00\x00"
                   "EVTI",
            8));
    ASSERT_TRUE(file.seek(0) && file.write(bytes) == bytes.size());
    file.close();
    const ProcessResult withLetters = run(ZYN_TELEMETRY, {"--events", path(kRecordings[1])});
    ASSERT_EQ(withLetters.exitCode, 0) << withLetters.err.toStdString();
    EXPECT_TRUE(withLetters.out == clean.out)
        << withLetters.out.count('\n') << " lines instead of " << clean.out.count('\n');
}
