#pragma once

#include "password/PasswordSetting.h"
#include "platform/Dialogs.h"
#include "resources/Skin.h"
#include "settings/SettingPopup.h"
#include "settings/SettingSavePopup.h"
#include "support/MessageWindow.h"

#include <QAbstractButton>
#include <QImage>
#include <QTest>

#include <gtest/gtest.h>
#include <memory>

// A settings popup owned by a stand-in main window at (0, 0), with scripted message boxes and
// folder browser.
class PopupTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        main.setGeometry(0, 0, 1020, 780);
        popup = std::make_unique<SettingPopup>(&main);
        ViewerSettings record;
        record.level = 2;
        record.deviceValue = 21;
        popup->setRecord(record);
    }

    void open(int mode)
    {
        popup->setMode(mode);
        popup->setMainOrigin(main.geometry());
        popup->layOut();
        popup->SetVisible(5);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(popup.get()));
    }

    void click(int x, int y) { QTest::mouseClick(popup.get(), Qt::LeftButton, {}, QPoint(x, y)); }
    void press(int x, int y) { QTest::mousePress(popup.get(), Qt::LeftButton, {}, QPoint(x, y)); }
    void moveTo(int x, int y) { QTest::mouseMove(popup.get(), QPoint(x, y)); }
    void release(int x, int y)
    {
        QTest::mouseRelease(popup.get(), Qt::LeftButton, {}, QPoint(x, y));
    }

    QAbstractButton* button(int id) const
    {
        return popup->findChild<QAbstractButton*>(QString::number(id));
    }
    void clickButton(int id) { QTest::mouseClick(button(id), Qt::LeftButton); }

    // What the popup shows in the rectangle.
    QImage shown(const QRect& area) const
    {
        return popup->grab(area).toImage().convertToFormat(QImage::Format_RGB32);
    }
    static QImage bitmap(int id) { return skin::bitmap(id).convertToFormat(QImage::Format_RGB32); }

    int level() const { return popup->workingRecord().level; }

    platform::RecordingMessageBox boxes;
    platform::ScriptedFolderBrowser browser;
    testsupport::MessageWindow main;
    std::unique_ptr<SettingPopup> popup;
};
