#include "media/PlayableCheck.h"

#include "support/Process.h"

extern "C" {
#include <libavutil/log.h>
}

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

class PlayableCheckTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir;
        // Two seconds with a key frame each second, so the last key frame is not the first.
        const auto made = testsupport::runProcess(QStringLiteral("ffmpeg"),
            {"-v", "error", "-f", "lavfi", "-i", "testsrc=size=160x96:rate=25:duration=2", "-f",
                "lavfi", "-i", "sine=frequency=440:duration=2", "-c:v", "libx264", "-g", "25",
                "-pix_fmt", "yuv420p", "-c:a", "aac", "-shortest", path("good.mp4")});
        ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
        const auto silent = testsupport::runProcess(QStringLiteral("ffmpeg"),
            {"-v", "error", "-i", path("good.mp4"), "-an", "-c", "copy", path("silent.mp4")});
        ASSERT_EQ(silent.exitCode, 0) << silent.err.toStdString();
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }
    static QString path(const QString& name) { return s_dir->filePath(name); }

    // The good file with `change` applied, written under `name`.
    static QString damaged(const QString& name, const std::function<void(QByteArray&)>& change)
    {
        QByteArray bytes = readAll(path("good.mp4"));
        change(bytes);
        const QString out = path(name);
        EXPECT_TRUE(writeAll(out, bytes));
        return out;
    }

    static QTemporaryDir* s_dir;
};

QTemporaryDir* PlayableCheckTest::s_dir = nullptr;

// Where ffprobe, which nobody here wrote, places the last picture's bytes.
std::pair<qint64, qint64> lastPicture(const QString& path)
{
    const auto probe = testsupport::runProcess(QStringLiteral("ffprobe"),
        {"-v", "error", "-select_streams", "v", "-show_packets", "-show_entries", "packet=pos,size",
            "-of", "json", path});
    const QJsonArray packets = QJsonDocument::fromJson(probe.out)["packets"].toArray();
    if (packets.isEmpty())
        return {-1, 0};
    const QJsonObject last = packets.last().toObject();
    return {last["pos"].toString().toLongLong(), last["size"].toString().toLongLong()};
}

} // namespace

TEST_F(PlayableCheckTest, AWholeFileIsPlayableWithEveryOption)
{
    const media::PlayableCheck check
        = media::checkPlayable(path("good.mp4"), {.lastPicture = true, .expectSound = true});
    EXPECT_TRUE(check.ok()) << check.detail.toStdString();
    EXPECT_TRUE(check.detail.isEmpty());

    EXPECT_TRUE(media::checkPlayable(path("silent.mp4"), {.lastPicture = true}).ok())
        << "sound is needed only when the source had it";
    const media::PlayableCheck silent
        = media::checkPlayable(path("silent.mp4"), {.expectSound = true});
    EXPECT_EQ(silent.fault, media::Fault::Sound);
    EXPECT_FALSE(silent.detail.isEmpty());
}

TEST_F(PlayableCheckTest, DamageIsNamedWhereItLies)
{
    // A sample description that lists no entries: the header is refused.
    const QString noEntries = damaged("stsd0.mp4", [](QByteArray& b) {
        const qsizetype at = b.indexOf("stsd");
        ASSERT_GT(at, 0);
        b.replace(at + 8, 4, QByteArray("\0\0\0\0", 4));
    });
    const media::PlayableCheck header = media::checkPlayable(noEntries);
    EXPECT_EQ(header.fault, media::Fault::Container) << header.detail.toStdString();
    EXPECT_FALSE(header.detail.isEmpty());

    // The last picture overwritten: its start decodes, its end does not.
    const auto [pos, size] = lastPicture(path("good.mp4"));
    ASSERT_GT(pos, 0);
    const QString brokenEnd = damaged("end.mp4", [pos = pos, size = size](QByteArray& b) {
        b.replace(pos, size, QByteArray(size, '\xff'));
    });
    EXPECT_TRUE(media::checkPlayable(brokenEnd).ok()) << "the first frames are whole";
    const media::PlayableCheck end = media::checkPlayable(brokenEnd, {.lastPicture = true});
    EXPECT_EQ(end.fault, media::Fault::LastPicture) << end.detail.toStdString();

    // A sound configuration that says more than it holds: FFmpeg drops the stream, and its
    // words for why reach the user without its pointers.
    const auto overlong = testsupport::runProcess(QStringLiteral("python3"),
        {QStringLiteral(ZYN_DAMAGE_MP4), path("good.mp4"), path("aac.mp4"), "aac-config-overlong",
            "sound"});
    ASSERT_EQ(overlong.exitCode, 0) << overlong.err.toStdString();
    const media::PlayableCheck sound = media::checkPlayable(path("aac.mp4"), {.expectSound = true});
    EXPECT_EQ(sound.fault, media::Fault::Sound);
    EXPECT_TRUE(sound.detail.startsWith("aac: ")) << sound.detail.toStdString();
    EXPECT_TRUE(sound.detail.contains("Input buffer exhausted")) << sound.detail.toStdString();

    // Not a media file at all, and no file.
    ASSERT_TRUE(writeAll(path("text.mp4"), QByteArray(4096, 'x')));
    EXPECT_EQ(media::checkPlayable(path("text.mp4")).fault, media::Fault::Container);
    EXPECT_EQ(media::checkPlayable(path("missing.mp4")).fault, media::Fault::Container);
}

TEST(LogCapture, KeepsErrorsOfItsOwnThreadInTheInnermostCapture)
{
    media::LogCapture outer;
    {
        media::LogCapture inner;
        av_log(nullptr, AV_LOG_ERROR, "inner trouble\n");
        av_log(nullptr, AV_LOG_WARNING, "only a warning\n");
        ASSERT_EQ(inner.errors().size(), 1);
        EXPECT_EQ(inner.errors().constFirst(), QStringLiteral("inner trouble"));
    }
    av_log(nullptr, AV_LOG_ERROR, "outer trouble\n");
    EXPECT_EQ(outer.errors(), QStringList{QStringLiteral("outer trouble")});
}
