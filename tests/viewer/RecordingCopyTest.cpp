// Copying the open recording: the destination's name, the copy itself, every way it can fail
// without leaving a partial file, and the worker that reports back on the GUI thread.
#include "viewer/RecordingCopy.h"

#include "resources/Strings.h"
#include "support/RecordingBuilder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>

#include "QtPrinters.h"

#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

class RecordingCopyTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(m_root.path()).mkpath("card"));
        ASSERT_TRUE(QDir(m_root.path()).mkpath("save"));
    }

    QString card(const QString& name) const { return m_root.filePath("card/" + name); }
    QString save() const { return m_root.filePath("save"); }

    // A recording with a telemetry block and, for event recordings, an event index.
    QString recording(const QString& name, int payload = 5000)
    {
        testsupport::RecordingBuilder builder;
        builder.ftyp().mdat(payload).udat(testsupport::Telemetry::drive(3));
        if (!name.startsWith("drf_"))
            builder.evti({"EVENT 2024/05/01 12:35:10"});
        const QString path = card(name);
        EXPECT_TRUE(builder.writeTo(path));
        return path;
    }

    QStringList saved() const { return QDir(save()).entryList(QDir::Files | QDir::Hidden); }

    QTemporaryDir m_root;
};

TEST_F(RecordingCopyTest, DestinationIsCopyAndTheNameFromItsPrefix)
{
    const QString sep = QDir::separator();
#ifdef Q_OS_WIN
    EXPECT_EQ(RecordingCopy::destinationFor("D:\\save\\", "D:\\card\\drf_20110104_123456.avi"),
        "D:\\save\\copy_drf_20110104_123456.mp4");
#endif
    EXPECT_EQ(RecordingCopy::destinationFor("/save/", "/card/evt_20110104_123456.avi"),
        "/save/copy_evt_20110104_123456.mp4");
    EXPECT_EQ(RecordingCopy::destinationFor("/save", "/card/muevt_20110104_123456.mp4"),
        "/save" + sep + "copy_muevt_20110104_123456.mp4")
        << "a separator is added; the manual prefix is kept whole";
    EXPECT_EQ(RecordingCopy::destinationFor("/save/", "/media/drf_card/evt_20110104_123456.mp4"),
        "/save/copy_evt_20110104_123456.mp4")
        << "a folder holding a prefix is not part of the name";
    EXPECT_EQ(RecordingCopy::destinationFor("/save/", "/media/evt_card/drf_20110104_123456.mp4"),
        "/save/copy_drf_20110104_123456.mp4");
    EXPECT_EQ(
        RecordingCopy::destinationFor("/save/", "/home/holiday.mp4"), "/save/copy_holiday.mp4")
        << "without a prefix the whole name";
    EXPECT_EQ(RecordingCopy::destinationFor("/save/", "/x/ab"), "/save/copy_.mp4");
    EXPECT_EQ(RecordingCopy::destinationFor("", "/card/drf_20110104_123456.mp4"), QString());
}

TEST_F(RecordingCopyTest, CopiesEachKindOfRecordingWhole)
{
    for (const QString name :
        {"drf_20240501_123450.mp4", "evt_20240501_123550.mp4", "muevt_20240501_123650.mp4"}) {
        const QString source = recording(name);
        const RecordingCopy::Outcome outcome = RecordingCopy::copy(source, save());
        EXPECT_EQ(outcome.result, RecordingCopy::Copied) << outcome.message.toStdString();
        EXPECT_TRUE(outcome.message.isEmpty());
        EXPECT_EQ(outcome.destination, save() + QDir::separator() + "copy_" + name);
        EXPECT_EQ(readAll(outcome.destination), readAll(source)) << name.toStdString();
    }
    EXPECT_EQ(saved().size(), 3) << "no temporary file left beside the copies";
}

TEST_F(RecordingCopyTest, AnExistingCopyIsReplaced)
{
    const QString source = recording("evt_20240501_123450.mp4", 3000);
    const QString target = m_root.filePath("save/copy_evt_20240501_123450.mp4");
    ASSERT_TRUE(writeFile(target, QByteArray(100000, 'x')));
    const auto outcome = RecordingCopy::copy(source, save() + "/");
    EXPECT_EQ(outcome.result, RecordingCopy::Copied);
    EXPECT_EQ(outcome.destination, target);
    EXPECT_EQ(readAll(target), readAll(source)) << "shorter than the old copy: nothing of it left";
    EXPECT_EQ(saved(), QStringList{"copy_evt_20240501_123450.mp4"});
}

TEST_F(RecordingCopyTest, FailuresNameTheDestinationAndLeaveNoPartialFile)
{
    const QString source = recording("drf_20240501_123450.mp4");

    // A folder that is gone.
    const QString gone = m_root.filePath("removed");
    auto outcome = RecordingCopy::copy(source, gone);
    EXPECT_EQ(outcome.result, RecordingCopy::CannotCreate);
    EXPECT_TRUE(outcome.message.contains(QDir::toNativeSeparators(outcome.destination)));
    EXPECT_TRUE(outcome.message.contains(strings::kCopyCannotCreate.toString()))
        << outcome.message.toStdString();
    EXPECT_FALSE(QFileInfo::exists(gone));

    // A folder that cannot take files, even for the administrator: a file in its place, and
    // the kernel's own file system.
    const QString notAFolder = m_root.filePath("save/plain");
    ASSERT_TRUE(writeFile(notAFolder, "x"));
    EXPECT_EQ(RecordingCopy::copy(source, notAFolder).result, RecordingCopy::CannotCreate);
    if (QFileInfo(QStringLiteral("/proc/self")).isDir()) {
        EXPECT_EQ(RecordingCopy::copy(source, "/proc/self").result, RecordingCopy::CannotCreate);
    }

    // The recording itself vanished.
    outcome = RecordingCopy::copy(card("evt_20240501_000000.mp4"), save());
    EXPECT_EQ(outcome.result, RecordingCopy::CannotRead);
    EXPECT_TRUE(outcome.message.contains(strings::kCopyCannotRead.toString()));
    EXPECT_EQ(saved(), QStringList{"plain"});
}

TEST_F(RecordingCopyTest, AnInterruptedCopyKeepsThePreviousCopy)
{
    const QString source = recording("muevt_20240501_123450.mp4", 3 << 20);
    const QString target = m_root.filePath("save/copy_muevt_20240501_123450.mp4");
    ASSERT_TRUE(writeFile(target, "the copy of yesterday"));
    const std::atomic<bool> cancel{true};
    const auto outcome = RecordingCopy::copy(source, save(), &cancel);
    EXPECT_EQ(outcome.result, RecordingCopy::Cancelled);
    EXPECT_EQ(readAll(target), QByteArray("the copy of yesterday"));
    EXPECT_EQ(saved(), QStringList{"copy_muevt_20240501_123450.mp4"});
}

TEST_F(RecordingCopyTest, RefusesToCopyARecordingOntoItself)
{
    // A copy played from the save folder would be saved under its own name.
    const QString copy = recording("drf_20240501_123450.mp4");
    const QString played = m_root.filePath("save/copy_drf_20240501_123450.mp4");
    ASSERT_TRUE(QFile::rename(copy, played));
    const QByteArray before = readAll(played);
    auto outcome = RecordingCopy::copy(played, save());
    EXPECT_EQ(outcome.result, RecordingCopy::SameFile);
    EXPECT_TRUE(outcome.message.contains(strings::kCopyOntoItself.toString()));
    // The same folder reached through a link.
    ASSERT_TRUE(QFile::link(save(), m_root.filePath("link")));
    outcome = RecordingCopy::copy(played, m_root.filePath("link"));
    EXPECT_EQ(outcome.result, RecordingCopy::SameFile);
    EXPECT_EQ(readAll(played), before);
    EXPECT_EQ(saved(), QStringList{"copy_drf_20240501_123450.mp4"});
}

TEST_F(RecordingCopyTest, WithoutAFolderTheUserIsAskedToChooseOne)
{
    const QString source = recording("evt_20240501_123450.mp4");
    const QString current = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(m_root.filePath("card")));
    const auto outcome = RecordingCopy::copy(source, QString());
    QDir::setCurrent(current);
    EXPECT_EQ(outcome.result, RecordingCopy::NoFolder);
    EXPECT_EQ(outcome.message, strings::kCopyChooseFolderFirst.toString());
    EXPECT_EQ(QDir(m_root.filePath("card")).entryList(QDir::Files),
        QStringList{"evt_20240501_123450.mp4"})
        << "nothing copied into the current directory";
}

TEST_F(RecordingCopyTest, WorkerReportsOnTheOwnersThreadOnce)
{
    const QString source = recording("evt_20240501_123450.mp4", 4 << 20);
    RecordingCopy copier;
    QSignalSpy spy(&copier, &RecordingCopy::finished);
    QThread* reportedOn = nullptr;
    QObject::connect(
        &copier, &RecordingCopy::finished, &copier, [&] { reportedOn = QThread::currentThread(); });
    ASSERT_TRUE(copier.start(source, save()));
    EXPECT_TRUE(copier.busy());
    EXPECT_FALSE(copier.start(source, save())) << "one copy at a time";
    ASSERT_TRUE(spy.wait(30000));
    EXPECT_EQ(reportedOn, QThread::currentThread());
    EXPECT_FALSE(copier.busy());
    ASSERT_EQ(spy.size(), 1);
    EXPECT_EQ(spy[0][0].toInt(), RecordingCopy::Copied);
    EXPECT_EQ(spy[0][1].toString(), save() + QDir::separator() + "copy_evt_20240501_123450.mp4");
    EXPECT_EQ(readAll(spy[0][1].toString()), readAll(source));

    // A failure arrives the same way, with its text.
    ASSERT_TRUE(copier.start(source, m_root.filePath("removed")));
    ASSERT_TRUE(spy.wait(30000));
    EXPECT_EQ(spy[1][0].toInt(), RecordingCopy::CannotCreate);
    EXPECT_FALSE(spy[1][2].toString().isEmpty());
}

TEST_F(RecordingCopyTest, ClosingDuringACopyStopsItAndCleansUp)
{
    const QString source = recording("drf_20240501_123450.mp4", 64 << 20);
    {
        RecordingCopy copier;
        ASSERT_TRUE(copier.start(source, save()));
    } // destroyed at once: the worker is stopped and joined
    QCoreApplication::processEvents();
    const QStringList left = saved();
    // Either the copy was quick enough to finish whole, or nothing is there.
    if (!left.isEmpty()) {
        ASSERT_EQ(left, QStringList{"copy_drf_20240501_123450.mp4"});
        EXPECT_EQ(QFileInfo(save() + "/" + left[0]).size(), QFileInfo(source).size());
    }
}

} // namespace
