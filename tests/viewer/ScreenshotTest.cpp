// Pictures of the lock and of every popup for a person to look at, written only when
// ZYN_SCREENSHOT_DIR names a folder (under Xvfb: QT_QPA_PLATFORM=xcb xvfb-run -a ...).
#include "ViewerFixture.h"

#include "settings/SettingSavePopup.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>

namespace {

class ScreenshotTest : public ViewerTest
{
protected:
    void SetUp() override
    {
        ViewerTest::SetUp();
        folder = qEnvironmentVariable("ZYN_SCREENSHOT_DIR");
        if (folder.isEmpty())
            GTEST_SKIP() << "ZYN_SCREENSHOT_DIR is not set";
        QDir().mkpath(folder);
    }

    void save(QWidget* widget, const QString& name)
    {
        QTest::qWait(150);
        ASSERT_TRUE(widget->grab().save(QDir(folder).filePath(name + QStringLiteral(".png"))));
    }
    void saveScreen(const QString& name)
    {
        QTest::qWait(300);
        const QPixmap screen = QGuiApplication::primaryScreen()->grabWindow(0);
        ASSERT_TRUE(screen.save(QDir(folder).filePath(name + QStringLiteral(".png"))));
    }

    QString folder;
};

TEST_F(ScreenshotTest, LockAndPopups)
{
    storeConfiguration("2?21?0?1?0042?0???128?/media/card/pictures/2024-06-14/?1?0?"
                       "/media/card/copies/?1?0?/media/card/??");
    start();
    save(window.get(), QStringLiteral("locked"));
    QTest::keyClicks(control<QLineEdit>(1058), QStringLiteral("00"));
    save(window.get(), QStringLiteral("locked-typing"));
    QTest::keyClicks(control<QLineEdit>(1058), QStringLiteral("42"));
    clickControl(1059);
    QTest::qWait(250);
    save(window.get(), QStringLiteral("unlocking"));
    ASSERT_TRUE(QTest::qWaitFor([this] { return !window->unlocking(); }, 5000));

    clickControl(1006);
    save(popup(), QStringLiteral("settings-mode2"));
    clickPopup(260, 90);
    save(popup(), QStringLiteral("settings-mode2-list-open"));
    clickPopup(100, 190);
    clickPopup(30, 158);
    save(popup()->passwordPanel(), QStringLiteral("password-panel"));
    clickPopupButton(1048);

    clickControl(1006);
    clickPopupButton(1047);
    save(popup()->savePopup(), QStringLiteral("save-popup"));
    saveScreen(QStringLiteral("screen-settings-and-save"));
    clickPopupButton(1048);

    popup()->setMode(SettingPopup::Capture);
    popup()->layOut();
    popup()->SetVisible(5);
    clickPopup(30, 158);
    save(popup(), QStringLiteral("settings-mode0"));
    clickPopupButton(1048);

    popup()->setMode(SettingPopup::FileSaving);
    popup()->layOut();
    popup()->SetVisible(5);
    save(popup(), QStringLiteral("settings-mode1"));
    saveScreen(QStringLiteral("screen-file-saving"));
    clickPopupButton(1048);
}

} // namespace
