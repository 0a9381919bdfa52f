// Frame capture through the settings popup on a recording played by the real player library
// in the main window.
#include "ViewerFixture.h"

#include "../player/PlayerHarness.h"

#include "player/PVEXAdap.h"
#include "player/PVEXState.h"
#include "player/PVEXstat1.h"
#include "player/PVEXstat9.h"
#include "settings/FrameCapture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QWindow>

namespace {

// A 32-second recording whose every frame differs (ffmpeg's moving test picture), with a
// telemetry block of 32 records: a capture of thirty frames needs thirty records ahead of it.
QString recordingOf32Seconds()
{
    static const QString path = playertest::makeRecording(
        QStringLiteral("drf_20240102_030405.mp4"), 32, playertest::emptyTelemetry(32));
    return path;
}

class CaptureTest : public ViewerTest
{
protected:
    void SetUp() override
    {
        ViewerTest::SetUp();
        recording = recordingOf32Seconds();
        ASSERT_FALSE(recording.isEmpty()) << "ffmpeg could not make the recording";
        ASSERT_TRUE(pictures.isValid());
        start();
        PVEXAdap* adapter = window->adapter();
        adapter->switchState(adapter->stateLoading.get());
        ASSERT_EQ(adapter->current()->openFile(recording.toLocal8Bit().constData(), ""), 0);
        ASSERT_TRUE(QTest::qWaitFor(
            [adapter] {
                return adapter->current() == adapter->statePlaying.get() && adapter->frame1
                    && adapter->recordTotal > 0 && adapter->position > 0.3f;
            },
            20000));
        // As the capture button does: hold the picture, then hand the popup the player.
        adapter->current()->pause();
        QTest::qWait(300);
        popup()->setMode(SettingPopup::Capture);
        popup()->setPlayer(adapter, recording);
        popup()->layOut();
        popup()->SetVisible(5);
        browser.answers = {pictures.path()};
        clickPopupButton(1046);
    }

    QStringList files() const
    {
        return QDir(pictures.path()).entryList({QStringLiteral("*.jpg")}, QDir::Files);
    }

    QString recording;
    QTemporaryDir pictures;
};

TEST_F(CaptureTest, ThirtyFramesOfAPlayingRecording)
{
    clickPopup(30, 158);
    ASSERT_TRUE(popup()->thirtyFrames());
    clickPopupButton(1047);
    ASSERT_TRUE(popup()->captureRunning());
    // The close box waits for the run.
    clickPopupButton(1045);
    EXPECT_TRUE(popup()->isVisible());
    const QString pictureFolder = qEnvironmentVariable("ZYN_SCREENSHOT_DIR");
    if (!pictureFolder.isEmpty()) {
        ASSERT_TRUE(
            QTest::qWaitFor([this] { return popup()->capture().captureCount >= 5; }, 10000));
        popup()->grab().save(
            QDir(pictureFolder).filePath(QStringLiteral("settings-mode0-capturing.png")));
    }
    ASSERT_TRUE(QTest::qWaitFor([this] { return !popup()->captureRunning(); }, 30000));

    const QString base = QFileInfo(recording).completeBaseName();
    const QRegularExpression name(
        QRegularExpression::escape(base) + QStringLiteral("_00(\\d\\d)_(\\d+)\\.jpg"));
    QStringList ordered(30);
    for (const QString& file : files()) {
        const QRegularExpressionMatch match = name.match(file);
        ASSERT_TRUE(match.hasMatch()) << file.toStdString();
        const int number = match.captured(2).toInt();
        ASSERT_GE(number, 1);
        ASSERT_LE(number, 30);
        EXPECT_LE(match.captured(1).toInt(), 2) << "the position when it was copied";
        ordered[number - 1] = file;
    }
    ASSERT_EQ(files().size(), 30);
    QImage previous;
    for (const QString& file : ordered) {
        const QImage picture(QDir(pictures.path()).filePath(file));
        ASSERT_EQ(picture.size(), QSize(640, 480)) << file.toStdString();
        EXPECT_NE(picture, previous) << file.toStdString() << " repeats the frame before it";
        previous = picture;
    }

    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(boxes.texts[0].startsWith(QStringLiteral("Закончено захватывающ изображения.")));
    EXPECT_TRUE(boxes.texts[0].contains(QStringLiteral("Сохранено кадров: 30")));
    EXPECT_TRUE(boxes.texts[0].contains(QDir::toNativeSeparators(pictures.path())));
    EXPECT_EQ(popup()->capture().captureCount, 30);

    clickPopupButton(1045);
    EXPECT_FALSE(popup()->isVisible());
    EXPECT_EQ(popup()->getMode(), SettingPopup::NotInUse);
}

TEST_F(CaptureTest, TheWindowGoesOnlyAfterTheRunHasStopped)
{
    clickPopup(30, 158);
    clickPopupButton(1047);
    ASSERT_TRUE(QTest::qWaitFor([this] { return popup()->capture().captureCount >= 2; }, 10000));
    // The window manager's close is refused while the capture runs, as the close button is.
    window->windowHandle()->close();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(popup()->captureRunning());
    QElapsedTimer timer;
    timer.start();
    window.reset();
    EXPECT_LT(timer.elapsed(), 2000 + 5000) << "the worker is joined within its bound";
    EXPECT_LT(files().size(), 30);
    EXPECT_TRUE(boxes.texts.isEmpty()) << "a stopped run reports nothing";
}

} // namespace
