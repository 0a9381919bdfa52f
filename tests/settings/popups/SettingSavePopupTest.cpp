#include "PopupFixture.h"

#include "settings/DirectoryText.h"
#include "support/FullCard.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <unistd.h>

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class SavePopupTest : public PopupTest
{
protected:
    void SetUp() override
    {
        PopupTest::SetUp();
        ASSERT_TRUE(card.isValid());
        open(SettingPopup::ViewSettings);
        clickButton(1047);
        save = popup->savePopup();
        ASSERT_TRUE(save->isVisible());
    }

    QString cardRoot() const { return card.path() + QLatin1Char('/'); }

    QTemporaryDir card;
    SettingSavePopup* save = nullptr;
};

TEST_F(SavePopupTest, PlacementButtonsAndTheDriveRootOfTheChoice)
{
    EXPECT_EQ(save->geometry(), QRect(514, 398, 377, 254));
    const auto at = [this](int id) {
        return save->findChild<QAbstractButton*>(QString::number(id))->geometry();
    };
    EXPECT_EQ(at(1062), QRect(320, 0, 45, 23));
    EXPECT_EQ(at(1060), QRect(88, 201, 86, 29));
    EXPECT_EQ(at(1061), QRect(198, 201, 86, 29));
    EXPECT_EQ(at(1063), QRect(231, 79, 120, 27));

    const QString folder = card.path() + QStringLiteral("/DCIM");
    ASSERT_TRUE(QDir().mkpath(folder));
    browser.answers = {folder, std::nullopt};
    clickButton(1063);
    const QString root = directory_text::driveRootOf(folder);
    EXPECT_EQ(save->saveDirectory(), root);
    EXPECT_TRUE(root.endsWith(QDir::separator()));
    clickButton(1063);
    EXPECT_EQ(save->saveDirectory(), root) << "a cancelled browser keeps the directory";
    EXPECT_EQ(browser.titles[1], QStringLiteral("Please select the directory"));
    EXPECT_EQ(browser.startFolders[1], root);
}

TEST_F(SavePopupTest, OkWritesTheFileAndHandsTheWrittenRecordBack)
{
    // The temporary folder stands for the root of a card mounted there.
    save->setSaveDirectory(cardRoot());
    clickButton(1060);
    EXPECT_FALSE(save->isVisible());
    EXPECT_TRUE(boxes.texts.isEmpty());
    const QByteArray bytes = readAll(cardRoot() + QStringLiteral("kob_config.dat"));
    ASSERT_EQ(bytes.size(), 35);
    EXPECT_EQ(bytes.left(4).toHex(), QByteArray("02150000"));
    EXPECT_EQ(bytes.at(9), '0');
    EXPECT_STREQ(popup->getRecord().deviceText, "0");
}

TEST_F(SavePopupTest, WithoutADirectoryNothingIsWrittenIntoTheCurrentFolder)
{
    const QString current = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(card.path()));
    clickButton(1060);
    QDir::setCurrent(current);
    EXPECT_TRUE(save->isVisible());
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_EQ(boxes.texts[0], QStringLiteral("Сначала выберите папку."));
    EXPECT_FALSE(QFile::exists(cardRoot() + QStringLiteral("kob_config.dat")));

    // The request itself refuses an empty directory too.
    EXPECT_NE(platform::sendMessage(popup.get(), platform::UM_WRITE_DEVICE_FILE), 0);
}

TEST_F(SavePopupTest, AFullCardIsReportedAndTheOldFileStays)
{
    save->setSaveDirectory(cardRoot());
    const QString file = cardRoot() + QStringLiteral("kob_config.dat");
    clickButton(1060);
    const QByteArray before = readAll(file);
    ASSERT_EQ(before.size(), 35);

    open(SettingPopup::ViewSettings);
    click(260, 90);
    click(100, 190); // knots: the new file would differ
    clickButton(1047);
    ASSERT_TRUE(save->isVisible());
    {
        testsupport::FullCard full(10);
        clickButton(1060);
    }
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(boxes.texts[0].startsWith(QStringLiteral("Не удалось записать файл ")));
    EXPECT_TRUE(boxes.texts[0].contains(QDir::toNativeSeparators(file)));
    EXPECT_TRUE(save->isVisible()) << "it does not close as if the file had been written";
    EXPECT_EQ(readAll(file), before);
    EXPECT_EQ(QDir(card.path()).entryList(QDir::Files), QStringList{"kob_config.dat"})
        << "no half-written file is left beside it";
}

TEST_F(SavePopupTest, AReadOnlyCardIsReportedAndTheOldFileStays)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "a read-only folder does not stop the superuser; the full card covers it";
    save->setSaveDirectory(cardRoot());
    const QString file = cardRoot() + QStringLiteral("kob_config.dat");
    clickButton(1060);
    const QByteArray before = readAll(file);
    ASSERT_EQ(before.size(), 35);
    QFile::setPermissions(card.path(), QFile::ReadOwner | QFile::ExeOwner);

    open(SettingPopup::ViewSettings);
    clickButton(1047);
    clickButton(1060);
    QFile::setPermissions(card.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(boxes.texts[0].contains(QDir::toNativeSeparators(file)));
    EXPECT_TRUE(boxes.texts[0].contains(QStringLiteral("файл не создаётся")));
    EXPECT_TRUE(save->isVisible());
    EXPECT_EQ(readAll(file), before);
}

TEST_F(SavePopupTest, TheOwnersAnswerDecidesWhetherThePopupCloses)
{
    testsupport::MessageWindow owner;
    save->setOwner(&owner);
    save->setSaveDirectory(cardRoot());
    owner.answer = 2;
    clickButton(1060);
    EXPECT_TRUE(save->isVisible());
    owner.answer = 0;
    clickButton(1060);
    EXPECT_FALSE(save->isVisible());
    ASSERT_EQ(owner.count(platform::UM_WRITE_DEVICE_FILE), 2);
    EXPECT_EQ(owner.messages[0].wParam, 0u);
    EXPECT_EQ(owner.messages[0].lParam, 0);

    save->SetVisible(5);
    clickButton(1061);
    EXPECT_FALSE(save->isVisible());
    save->SetVisible(5);
    clickButton(1062);
    EXPECT_FALSE(save->isVisible());
    EXPECT_EQ(owner.count(platform::UM_WRITE_DEVICE_FILE), 2);
}

} // namespace
