#pragma once

#include "app/ViewerConfig.h"
#include "password/PasswordSetting.h"
#include "platform/Dialogs.h"
#include "platform/Online.h"
#include "platform/Registry.h"
#include "settings/SettingPopup.h"
#include "viewer/CKOB_PCMgrDlg.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>
#include <memory>
#include <optional>

// Main-window tests start from no stored configuration, with scripted message boxes and folder
// browser, and off line: the map's browser engine starts only in the tests made for it.
class ViewerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        platform::forceOnline(false);
        platform::Registry::remove(configKey(), configValue());
    }
    void TearDown() override { window.reset(); }

    static QString configKey() { return QLatin1String(viewer_config::kKey); }
    static QString configValue() { return QLatin1String(viewer_config::kValueName); }
    static void storeConfiguration(const QByteArray& text)
    {
        ASSERT_TRUE(platform::Registry::write(configKey(), configValue(), text));
    }
    static QByteArray storedConfiguration()
    {
        return platform::Registry::read(configKey(), configValue()).value_or(QByteArray());
    }

    void start()
    {
        window = std::make_unique<CKOB_PCMgrDlg>();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    template <typename T = QAbstractButton> T* control(int id) const
    {
        return window->findChild<T*>(QString::number(id));
    }
    void clickControl(int id) { QTest::mouseClick(control(id), Qt::LeftButton); }
    SettingPopup* popup() const { return window->settingsPopup(); }
    void clickPopup(int x, int y) { QTest::mouseClick(popup(), Qt::LeftButton, {}, QPoint(x, y)); }
    void clickPopupButton(int id)
    {
        QTest::mouseClick(
            popup()->findChild<QAbstractButton*>(QString::number(id)), Qt::LeftButton);
    }
    // Types into the lock's entry and confirms with Enter.
    void enterPassword(const QString& text)
    {
        auto* entry = control<QLineEdit>(1058);
        QTest::keyClicks(entry, text);
        QTest::keyClick(entry, Qt::Key_Return);
    }

    platform::RecordingMessageBox boxes;
    platform::ScriptedFolderBrowser browser;
    std::unique_ptr<CKOB_PCMgrDlg> window;
};
