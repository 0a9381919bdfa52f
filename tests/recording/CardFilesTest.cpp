#include "recording/CardFiles.h"

#include "support/RecordingBuilder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

using namespace recording;
using namespace testsupport;

namespace {

QDateTime at(int h, int m, int s)
{
    return QDateTime(QDate(2025, 6, 14), QTime(h, m, s), Qt::UTC);
}

// A recording the camera closed: its index is there.
QByteArray intact()
{
    return RecordingBuilder()
        .ftyp()
        .mdat(300)
        .raw(box("moov", box("mvhd", QByteArray(100, '\1'))))
        .udat(Telemetry::drive(2))
        .bytes();
}

// One the power cut: media data whose size was never written, no index.
QByteArray cut()
{
    return RecordingBuilder().ftyp().raw(box("mdat", QByteArray(300, 'v'), 0)).bytes();
}

class CardFilesTest : public ::testing::Test
{
protected:
    QString write(const QString& name, const QByteArray& bytes = intact())
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size())
            << name.toStdString();
        return path;
    }
    QString path(const QString& name) const { return QDir::cleanPath(m_dir.filePath(name)); }
    QStringList names(const QStringList& paths) const
    {
        QStringList list;
        for (const QString& p : paths)
            list.append(QFileInfo(p).fileName());
        return list;
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(CardFilesTest, WhatEveryNameOnACardIs)
{
    struct Case
    {
        const char* name;
        CardRole role;
        RecordingType kind;
        Derivation derivation;
    };
    const Case cases[] = {
        {"drf_20250614_142337.mp4", CardRole::Recording, Continuous, Derivation::None},
        {"evt_20250614_142437.mp4", CardRole::Recording, Event, Derivation::None},
        {"muevt_20250614_142537.mp4", CardRole::Recording, ManualEvent, Derivation::None},
        {"drf_20250614_142537_recovered.mp4", CardRole::Recovered, Continuous, Derivation::None},
        {"clip_evt_20250614_142440.mp4", CardRole::Derived, Event, Derivation::Clip},
        {"clip_drf_20250614_142440-2.mp4", CardRole::Derived, Continuous, Derivation::Clip},
        {"clip_evt_20250614_142440_overlay.mp4", CardRole::Derived, Event, Derivation::DrawnClip},
        {"clip_evt_20250614_142440.gpx", CardRole::Derived, Event, Derivation::SideFile},
        {"clip_evt_20250614_142440.csv", CardRole::Derived, Event, Derivation::SideFile},
        {"clip_evt_20250614_142440.mp4.sha256", CardRole::Derived, Event, Derivation::SideFile},
        {"copy_muevt_20250614_142537.mp4", CardRole::Derived, ManualEvent, Derivation::Copy},
        {"drf_20250614_142337 (1).mp4", CardRole::Derived, Continuous, Derivation::Other},
        {"drf_20250614_142337.mp4.bak", CardRole::Derived, Continuous, Derivation::Other},
        {".clip_evt_20250614_142440.mp4.0.part", CardRole::Hidden, Event, Derivation::None},
        {"._drf_20250614_142337.mp4", CardRole::Hidden, Continuous, Derivation::None},
        {"drf_20250614_142337.mp4.part", CardRole::Hidden, Continuous, Derivation::None},
        {"DRF_20250614_142337.MP4", CardRole::Other, NotARecording, Derivation::None},
        {"drf_20250614_142337.MP4", CardRole::Derived, Continuous, Derivation::Other},
        {"drf_20251314_142337.mp4", CardRole::Other, NotARecording, Derivation::None},
        {"drf_20250614-142337.mp4", CardRole::Other, NotARecording, Derivation::None},
        {"drf_0001.mp4", CardRole::Other, NotARecording, Derivation::None},
        {"kob_config.dat", CardRole::Other, NotARecording, Derivation::None},
    };
    for (const Case& c : cases) {
        const CardName name = classifyName(QString::fromUtf8(c.name));
        EXPECT_EQ(name.role, c.role) << c.name;
        EXPECT_EQ(name.kind, c.kind) << c.name;
        EXPECT_EQ(name.derivation, c.derivation) << c.name;
    }
    const CardName recovered = classifyName("muevt_20250614_142537_recovered.mp4");
    EXPECT_EQ(recovered.original, "muevt_20250614_142537.mp4");
    EXPECT_EQ(recovered.start, at(14, 25, 37));
    EXPECT_EQ(classifyName("clip_muevt_20250614_235959.mp4").start, at(23, 59, 59));
    EXPECT_EQ(classifyName("clip_muevt_20250614_235959.mp4").kind, ManualEvent);
    // The first recording named inside wins, whatever prefix it has.
    EXPECT_EQ(classifyName("x_evt_20250614_142337_drf_20250614_150000.csv").start, at(14, 23, 37));
    EXPECT_EQ(recoveredName("drf_20250614_142337.mp4"), "drf_20250614_142337_recovered.mp4");
    EXPECT_TRUE(isCameraRecording("evt_20250614_142437.mp4"));
    EXPECT_FALSE(isCameraRecording("clip_evt_20250614_142437.mp4"));
}

// The card as drivers leave it: the camera's recordings of three kinds, an exported clip with
// its drawn version and lists, a copy, a cut recording and its recovered copy, a hidden
// unfinished write, a subfolder and a folder named like a recording.
TEST_F(CardFilesTest, TheCardsRecordingsInTheOrderTheyWereRecorded)
{
    for (const char* name : {"drf_20250614_142337.mp4", "evt_20250614_142437.mp4",
             "muevt_20250614_142537.mp4", "evt_20250614_142737.mp4", "clip_evt_20250614_142440.mp4",
             "clip_evt_20250614_142440_overlay.mp4", "clip_evt_20250614_142440.gpx",
             "clip_evt_20250614_142440.mp4.sha256", "copy_drf_20250614_142337.mp4",
             "drf_20250614_142637_recovered.mp4", ".clip_evt_20250614_142440.mp4.1.part",
             "._evt_20250614_142437.mp4", "notes.txt"})
        write(QString::fromLatin1(name));
    write("drf_20250614_142637.mp4", cut());
    QDir(m_dir.path()).mkdir("evt_20250614_150000.mp4");
    QDir(m_dir.path()).mkdir("sub");
    write("sub/drf_20250614_130000.mp4");

    const CardListing card = listCard(m_dir.path());
    EXPECT_TRUE(card.readable);
    EXPECT_EQ(names(card.paths()),
        QStringList(
            {"drf_20250614_142337.mp4", "evt_20250614_142437.mp4", "muevt_20250614_142537.mp4",
                "drf_20250614_142637_recovered.mp4", "evt_20250614_142737.mp4"}));
    EXPECT_EQ(card.paths().first(), path("drf_20250614_142337.mp4"));
    const CardRecording& recovered = card.recordings[3];
    EXPECT_EQ(recovered.kind, Continuous);
    EXPECT_EQ(recovered.start, at(14, 26, 37));
    EXPECT_EQ(recovered.replaces, path("drf_20250614_142637.mp4"));
    EXPECT_EQ(card.replaced, QStringList({path("drf_20250614_142637.mp4")}));
    EXPECT_TRUE(card.recordings[0].replaces.isEmpty());
    // A folder given whole stands for the same.
    EXPECT_EQ(folderRecordings(m_dir.path()), card.paths());
}

TEST_F(CardFilesTest, ARecoveredCopyStandsInOnlyForWhatCannotBePlayed)
{
    // Beside an intact original it would be the same recording twice.
    write("drf_20250614_142337.mp4");
    write("drf_20250614_142337_recovered.mp4");
    // Without its original it is the recording.
    write("evt_20250614_142437_recovered.mp4");
    // An original that is empty or no recording at all is replaced too.
    write("muevt_20250614_142537.mp4", {});
    write("muevt_20250614_142537_recovered.mp4");
    write("drf_20250614_142637.mp4", QByteArray(100, 'x'));
    write("drf_20250614_142637_recovered.mp4");
    const CardListing card = listCard(m_dir.path());
    EXPECT_EQ(names(card.paths()),
        QStringList({"drf_20250614_142337.mp4", "evt_20250614_142437_recovered.mp4",
            "muevt_20250614_142537_recovered.mp4", "drf_20250614_142637_recovered.mp4"}));
    EXPECT_EQ(card.recordings[1].replaces, path("evt_20250614_142437.mp4"));
    EXPECT_EQ(card.replaced.size(), 2);
}

TEST_F(CardFilesTest, AFolderOfClipsStandsForItsClips)
{
    // Clips received on their own: no camera recording, so the clips and copies are what the
    // folder holds, in time order; never the drawn clips that repeat them.
    for (const char* name : {"clip_evt_20250614_142440.mp4", "clip_evt_20250614_142440_overlay.mp4",
             "clip_drf_20250614_140000.mp4", "copy_muevt_20250614_150000.mp4",
             "clip_evt_20250614_142440.mp4.sha256", ".clip_drf_20250614_160000.mp4.3.part"})
        write(QString::fromLatin1(name));
    EXPECT_TRUE(listCard(m_dir.path()).recordings.isEmpty());
    EXPECT_EQ(names(folderRecordings(m_dir.path())),
        QStringList({"clip_drf_20250614_140000.mp4", "clip_evt_20250614_142440.mp4",
            "copy_muevt_20250614_150000.mp4"}));

    for (const QString& bad : {m_dir.filePath("missing"), m_dir.filePath("notes.txt"), QString()}) {
        EXPECT_FALSE(listCard(bad).readable) << bad.toStdString();
        EXPECT_TRUE(folderRecordings(bad).isEmpty());
    }
}

TEST_F(CardFilesTest, TheFileSelectorsTabRule)
{
    EXPECT_EQ(selectorKind("drf_0001.mp4"), Continuous);
    EXPECT_EQ(selectorKind("evt_0002.mp4"), Event);
    EXPECT_EQ(selectorKind("muevt_0003.mp4"), ManualEvent);
    EXPECT_EQ(selectorKind("evt_0004.avi"), NotARecording);
    EXPECT_EQ(selectorKind("EVT_0005.MP4"), NotARecording);
    // Copies and clips list beside the recordings; unfinished and hidden files never.
    EXPECT_EQ(selectorKind("copy_evt_20250614_142437.mp4"), Event);
    EXPECT_EQ(selectorKind("clip_muevt_20250614_142437.mp4"), ManualEvent);
    EXPECT_EQ(selectorKind("drf_20250614_142337.mp4.part"), NotARecording);
    EXPECT_EQ(selectorKind(".drf_20250614_142337.mp4"), NotARecording);
    EXPECT_EQ(selectorKind("._evt_20250614_142337.mp4"), NotARecording);
    EXPECT_TRUE(listsUnderKind("muevt_1.mp4", ManualEvent));
    EXPECT_FALSE(listsUnderKind("muevt_1.mp4", Event));
    EXPECT_FALSE(listsUnderKind("drf_1.mp4", NotARecording));
}

// Random cards: whatever the names and sizes, the listing holds only the camera's recordings
// (or a recovered copy in place of a damaged one), each time once, in time order.
TEST_F(CardFilesTest, RandomCards)
{
    std::mt19937 random(142337);
    const char* prefixes[] = {"drf_", "evt_", "muevt_"};
    for (int round = 0; round < 40; ++round) {
        QTemporaryDir dir;
        QDir card(dir.path());
        QHash<QString, bool> originals; // stem to damaged
        QSet<QString> recoveredStems;
        for (int i = 0; i < 12; ++i) {
            const QString stem = QString::fromLatin1(prefixes[random() % 3])
                + at(14, int(random() % 60), int(random() % 60))
                      .toString(QStringLiteral("yyyyMMdd_HHmmss"));
            const QStringList variants = {stem + ".mp4", stem + "_recovered.mp4",
                "clip_" + stem + ".mp4", "clip_" + stem + "_overlay.mp4", "copy_" + stem + ".mp4",
                "." + stem + ".mp4.0.part", stem + ".mp4.sha256", stem + " (1).mp4"};
            const QString name = variants[int(random() % variants.size())];
            const bool damaged = random() % 3 == 0;
            QFile file(card.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(damaged ? cut() : intact());
            file.close();
            if (name == stem + ".mp4")
                originals.insert(stem, damaged);
            else if (name == stem + "_recovered.mp4")
                recoveredStems.insert(stem);
        }
        const CardListing listing = listCard(dir.path());
        QSet<QString> seen;
        QDateTime last;
        for (const CardRecording& r : listing.recordings) {
            const QString name = QFileInfo(r.path).fileName();
            const CardName what = classifyName(name);
            ASSERT_TRUE(what.role == CardRole::Recording || what.role == CardRole::Recovered)
                << name.toStdString();
            const QString stem = name.left(name.indexOf(u'_', name.indexOf(u'_') + 1) + 7);
            EXPECT_FALSE(seen.contains(stem)) << "twice: " << stem.toStdString();
            seen.insert(stem);
            if (what.role == CardRole::Recovered)
                EXPECT_TRUE(originals.value(stem, true))
                    << "an intact original: " << name.toStdString();
            else if (recoveredStems.contains(stem))
                EXPECT_FALSE(originals.value(stem)) << "a damaged original: " << name.toStdString();
            EXPECT_TRUE(!last.isValid() || last <= r.start);
            last = r.start;
        }
        QSet<QString> expected = recoveredStems;
        for (auto it = originals.cbegin(); it != originals.cend(); ++it)
            expected.insert(it.key());
        EXPECT_EQ(seen, expected) << round;
    }
}
