// A user's whole round through the settings, from a first start to the locked next one.
#include "ViewerFixture.h"

#include "settings/DirectoryText.h"
#include "settings/SettingSavePopup.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST_F(ViewerTest, FullSettingsRoundFromAFirstStartToALockedNextStart)
{
    QTemporaryDir card;
    ASSERT_TRUE(card.isValid());
    const QString cardRoot = card.path() + QLatin1Char('/');

    start();
    ASSERT_TRUE(window->isUnlocked());
    clickControl(1006);
    ASSERT_TRUE(popup()->isVisible());

    // Knots from the unit list.
    clickPopup(263, 91);
    clickPopup(60, 190);
    EXPECT_EQ(popup()->workingRecord().speedUnit, 2);

    // Level 3: the invisible control sits over the unit box at level 2 (position 107).
    QTest::mousePress(popup(), Qt::LeftButton, {}, QPoint(144, 94));
    QTest::mouseMove(popup(), QPoint(194, 94));
    QTest::mouseRelease(popup(), Qt::LeftButton, {}, QPoint(194, 94));
    EXPECT_EQ(popup()->workingRecord().level, 3);

    // Password 0042, typed twice in the panel.
    clickPopup(30, 158);
    PasswordSetting* panel = popup()->passwordPanel();
    ASSERT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->geometry().topLeft(), QPoint(374, 220));
    QTest::keyClicks(panel->findChild<QLineEdit*>("1068"), QStringLiteral("0042"));
    QTest::keyClicks(panel->findChild<QLineEdit*>("1069"), QStringLiteral("0042"));
    QTest::mouseClick(panel->findChild<QAbstractButton*>("1067"), Qt::LeftButton);
    EXPECT_FALSE(panel->isVisible());

    // The recorder settings file onto the card.
    clickPopupButton(1047);
    SettingSavePopup* save = popup()->savePopup();
    ASSERT_TRUE(save->isVisible());
    EXPECT_EQ(save->geometry().topLeft(), QPoint(514, 398));
    browser.answers = {card.path()};
    QTest::mouseClick(save->findChild<QAbstractButton*>("1063"), Qt::LeftButton);
    EXPECT_EQ(save->saveDirectory(), directory_text::driveRootOf(card.path()));
    // A temporary folder is not the root of its own file system; it stands for a card's root
    // here, as the choice gives it when the card is mounted there.
    save->setSaveDirectory(cardRoot);
    QTest::mouseClick(save->findChild<QAbstractButton*>("1060"), Qt::LeftButton);
    EXPECT_FALSE(save->isVisible());

    QByteArray expected = QByteArray::fromHex("03150201") + "0042" + QByteArray(1, '\0') + "0"
        + QByteArray(23, '\0') + QByteArray::fromHex("0501");
    ASSERT_EQ(expected.size(), 35);
    EXPECT_EQ(readAll(cardRoot + QStringLiteral("kob_config.dat")).toHex(), expected.toHex());

    clickPopupButton(1048);
    EXPECT_FALSE(popup()->isVisible());
    QSignalSpy finished(window.get(), &QDialog::finished);
    clickControl(1002);
    ASSERT_EQ(finished.count(), 1);
    window.reset();
    EXPECT_TRUE(boxes.texts.isEmpty()) << boxes.texts.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(storedConfiguration(),
        QByteArray("3?21?2?1?0042?0???128??1?0??1?0?") + cardRoot.toLocal8Bit() + "??");

    // The next start is locked; "0042" opens it.
    start();
    EXPECT_FALSE(window->isUnlocked());
    EXPECT_EQ(window->size(), QSize(440, 300));
    enterPassword(QStringLiteral("0042"));
    ASSERT_TRUE(
        QTest::qWaitFor([this] { return window->isUnlocked() && !window->unlocking(); }, 5000));
    EXPECT_EQ(window->size(), QSize(1020, 780));
    const ViewerSettings record = popup()->getRecord();
    EXPECT_EQ(record.level, 3);
    EXPECT_EQ(record.speedUnit, 2);
    EXPECT_STREQ(record.password, "0042");
    EXPECT_EQ(popup()->savePopup()->saveDirectory(), cardRoot);
    window.reset();

    // "42" ends it, and the configuration stays as it was.
    start();
    QSignalSpy ended(window.get(), &QDialog::finished);
    enterPassword(QStringLiteral("42"));
    EXPECT_EQ(ended.count(), 1);
    window.reset();
    EXPECT_TRUE(storedConfiguration().startsWith("3?21?2?1?0042?"));
}

} // namespace
