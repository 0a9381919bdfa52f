#pragma once

// Main-window tests that play demo recordings with the real player library: the demo cards
// and the waits for what the player reports. Real time, so such programs run alone.
#include "PlaybackFixture.h"

#include "player/PVEXstat1.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <map>

// Demo cards written by zyn-cardgen once per program run.
inline QString demoCard(const QString& name, const QStringList& options)
{
    static QTemporaryDir root;
    static std::map<QString, QString> made;
    if (auto it = made.find(name); it != made.end())
        return it->second;
    const QString folder = root.filePath(name);
    QProcess cardgen;
    cardgen.start(QStringLiteral(ZYN_CARDGEN),
        options + QStringList{QStringLiteral("--jobs"), QStringLiteral("2"), folder});
    if (!cardgen.waitForFinished(300000) || cardgen.exitCode() != 0)
        return {};
    made[name] = folder;
    return folder;
}

// Two continuous recordings of three seconds and an event recording.
inline QString shortCard()
{
    return demoCard(QStringLiteral("short"),
        {"--length", "3", "--drf", "2", "--evt", "1", "--muevt", "0", "--seed", "3"});
}

// Two continuous recordings of a minute, as the camera writes them.
inline QString minuteCard()
{
    return demoCard(QStringLiteral("minute"),
        {"--length", "60", "--drf", "2", "--evt", "0", "--muevt", "0", "--seed", "5"});
}

// One recording of each kind, ten seconds each: drf, evt and muevt with telemetry (the two
// event recordings with their events), and a drf recording without any telemetry.
inline QString eventCard()
{
    return demoCard(QStringLiteral("events"),
        {"--length", "10", "--drf", "1", "--evt", "1", "--muevt", "1", "--plain", "1", "--seed",
            "1"});
}

inline QString cardFile(const QString& name)
{
    return QDir::toNativeSeparators(QDir(eventCard()).filePath(name));
}

inline const QString kDrf = QStringLiteral("drf_20250614_142337.mp4");
inline const QString kEvt = QStringLiteral("evt_20250614_142347.mp4");
inline const QString kMuevt = QStringLiteral("muevt_20250614_142357.mp4");
inline const QString kPlain = QStringLiteral("drf_20250614_142407.mp4"); // no telemetry

inline QStringList recordingsIn(const QString& folder)
{
    QStringList paths;
    for (const QString& name :
        QDir(folder).entryList({QStringLiteral("*.mp4")}, QDir::Files, QDir::Name))
        paths.append(QDir::toNativeSeparators(QDir(folder).filePath(name)));
    return paths;
}

class PlaybackTest : public ListTest
{
protected:
    void SetUp() override
    {
        ViewerTest::SetUp();
        ASSERT_FALSE(shortCard().isEmpty()) << "zyn-cardgen could not write the demo card";
        startWindow();
    }

    PVEXAdap* adapter() const { return window->adapter(); }
    bool playerPlaying() const { return adapter()->current() == adapter()->statePlaying.get(); }

    // Plays the list's row and waits until the player reports its first position.
    void playRow(int row)
    {
        clickAt(rowPoint(row % 7));
        clickControl(1011);
        waitPlaying(row);
    }
    void waitPlaying(int row, int limitMs = 10000)
    {
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return window->playList().current() == row && window->isPlaying() && playerPlaying()
                    && adapter()->lengthSeconds > 0;
            },
            limitMs))
            << "row " << row << " did not start";
    }
    void waitSecond(int second, int limitMs = 10000)
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return adapter()->positionSeconds >= second; }, limitMs))
            << "second " << second << " not reached";
    }
    // The player's position moves on (true) or stays (false) over a while.
    bool moving(int ms = 1300)
    {
        // The report a seek or a step asks for comes first, whether the picture runs or not.
        QTest::qWait(400);
        const float before = adapter()->position;
        QTest::qWait(ms);
        return adapter()->position != before;
    }
    // Opens a recording of the event card as the command line does and waits until it plays.
    void play(const QString& name, int second = 1)
    {
        const QString path = cardFile(name);
        window->openRecordings({path});
        const int row = int(window->playList().entries().indexOf(path));
        ASSERT_GE(row, 0);
        waitPlaying(row);
        waitSecond(second);
    }
    static QPoint stripPoint(int x) { return {x, 489}; }
    QPoint seekThumb() const { return {window->progress() + 36 + 10, 564}; }
    int loadsSent() const { return int(CommandLog::starting("pvex_loadfile").size()); }
};
