#include "files/FilesOpenPopup.h"
#include "TestOwner.h"
#include "files/PathLabel.h"
#include "files/RecordingCheckList.h"
#include "files/RecordingListPage.h"
#include "platform/Dialogs.h"
#include "resources/Strings.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <QtEndian>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QString kNoRecordings = QStringLiteral("В папке нет файла");
const QString kPleaseSelect = QStringLiteral("Пожалуйста выберите архивы");

class FilesOpenPopupTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        owner = std::make_unique<TestOwner>();
        owner->show();
        popup = new FilesOpenPopup(owner.get());
        owner->files = popup;
        popup->SetVisible(5);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(popup));
    }

    // A folder holding the given (empty) files.
    QString folder(const QString& name, const QStringList& files)
    {
        const QString path = QDir(root.path()).filePath(name);
        EXPECT_TRUE(QDir().mkpath(path));
        for (const QString& file : files) {
            QFile f(QDir(path).filePath(file));
            EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        }
        return path;
    }

    QStringList recordings(const char* prefix, int count)
    {
        QStringList names;
        for (int i = 0; i < count; ++i)
            names << QString::asprintf("%s20240501_%06d.mp4", prefix, 120000 + i);
        return names;
    }

    QPushButton* button(int id) const
    {
        return popup->findChild<QPushButton*>(QString::number(id));
    }
    QTabBar* tabs() const { return popup->findChild<QTabBar*>("1246"); }
    PathLabel* folderText() const { return popup->findChild<PathLabel*>("1261"); }
    RecordingCheckList* list(int tab) const { return popup->page(tab)->list(); }

    void chooseFolder(const std::optional<QString>& answer)
    {
        browser.answers.push_back(answer);
        QTest::mouseClick(button(1245), Qt::LeftButton);
    }

    void addToList() { QTest::mouseClick(button(1247), Qt::LeftButton); }

    QStringList listed(int tab) const
    {
        QStringList names;
        for (int row = 0; row < list(tab)->count(); ++row)
            names << list(tab)->name(row);
        return names;
    }

    QTemporaryDir root;
    platform::RecordingMessageBox messages;
    platform::ScriptedFolderBrowser browser;
    std::unique_ptr<TestOwner> owner;
    FilesOpenPopup* popup = nullptr; // a child of the owner
};

} // namespace

TEST_F(FilesOpenPopupTest, BuiltWithItsCaptionsAndPlacedOverTheOwner)
{
    EXPECT_EQ(popup->windowTitle(), QStringLiteral("Выбор архива"));
    EXPECT_EQ(popup->size(), QSize(360, 448));
    EXPECT_EQ(popup->frameGeometry().topLeft(), QPoint(330, 166));
    ASSERT_EQ(tabs()->count(), 3);
    EXPECT_EQ(tabs()->tabText(0), QStringLiteral("Нормальный режим"));
    EXPECT_EQ(tabs()->tabText(1), QStringLiteral("По сенсору движения"));
    EXPECT_EQ(tabs()->tabText(2), QStringLiteral("Ручной режим"));
    EXPECT_EQ(button(1245)->text(), QStringLiteral("Выбор папки"));
    EXPECT_EQ(button(1247)->text(), QStringLiteral("Добавьте к списку"));
    EXPECT_EQ(button(2)->text(), QStringLiteral("Отмена"));
    EXPECT_EQ(popup->currentTab(), 0);
    EXPECT_TRUE(popup->page(0)->isVisible());
    EXPECT_FALSE(popup->page(1)->isVisible());

    // The pages fill the tab control but for 4 pixels at the sides and the tab strip on top.
    const QRect control = popup->page(0)->parentWidget()->rect();
    for (int tab = 0; tab < 3; ++tab)
        EXPECT_EQ(popup->page(tab)->geometry(), control.adjusted(4, 20, -4, -4));

    // Placed again from the owner's geometry at every showing; a smaller owner than the popup
    // truncates toward zero.
    popup->SetVisible(0);
    owner->move(100, 50);
    popup->SetVisible(5);
    EXPECT_EQ(popup->frameGeometry().topLeft(), QPoint(430, 216));
    EXPECT_EQ(FilesOpenPopup::placement(QRect(0, 0, 361, 449)), QPoint(0, 0));
    EXPECT_EQ(FilesOpenPopup::placement(QRect(0, 0, 300, 400)), QPoint(-30, -24));
}

TEST_F(FilesOpenPopupTest, EachTabListsItsKindAndShowsItsFolder)
{
    const QString card = folder("card",
        {"drf_20240501_120000.mp4", "evt_20240501_120100.mp4", "muevt_20240501_120200.mp4",
            "evt_20240501_120300.avi", "EVT_20240501_120400.MP4"});
    chooseFolder(card);
    EXPECT_EQ(listed(0), QStringList{"drf_20240501_120000.mp4"});
    EXPECT_EQ(folderText()->path(), QDir::toNativeSeparators(card));
    EXPECT_EQ(popup->tabFolder(0), card);
    EXPECT_EQ(popup->page(0)->counterText(), "[ 000 / 001 ]");
    EXPECT_EQ(browser.titles, QStringList{QStringLiteral("Выберите папку")});
    EXPECT_EQ(browser.startFolders, QStringList{QDir::currentPath()});

    tabs()->setCurrentIndex(1);
    EXPECT_TRUE(folderText()->path().isEmpty());
    chooseFolder(card);
    EXPECT_EQ(listed(1), QStringList{"evt_20240501_120100.mp4"});
    tabs()->setCurrentIndex(2);
    chooseFolder(card);
    EXPECT_EQ(listed(2), QStringList{"muevt_20240501_120200.mp4"});
    EXPECT_EQ(popup->page(2)->counterText(), "[ 000 / 001 ]");
    EXPECT_TRUE(messages.texts.isEmpty());

    // The browser starts at the tab's folder once it has one; the same folder twice lists once.
    tabs()->setCurrentIndex(0);
    EXPECT_EQ(folderText()->path(), QDir::toNativeSeparators(card));
    chooseFolder(card);
    EXPECT_EQ(browser.startFolders.last(), card);
    EXPECT_EQ(listed(0), QStringList{"drf_20240501_120000.mp4"});
}

TEST_F(FilesOpenPopupTest, ACancelledOrNonFolderChoiceChangesNothing)
{
    const QString card = folder("card", recordings("drf_", 2));
    chooseFolder(card);
    chooseFolder(std::nullopt);
    chooseFolder(QString());
    chooseFolder(QDir(card).filePath("drf_20240501_120000.mp4"));
    EXPECT_EQ(messages.texts,
        (QStringList{QStringLiteral("Выбор файла отменен"), QStringLiteral("Выберите папку"),
            QStringLiteral("Выберите папку")}));
    EXPECT_EQ(popup->tabFolder(0), card);
    EXPECT_EQ(listed(0).size(), 2);
}

TEST_F(FilesOpenPopupTest, AFolderWithoutRecordingsKeepsTheEarlierFolderAndList)
{
    const QString card = folder("card", recordings("evt_", 3));
    const QString other = folder("other", recordings("drf_", 2)); // nothing for tab 1
    tabs()->setCurrentIndex(1);
    chooseFolder(card);
    list(1)->setChecked(1, true); // a check made before the failed choice
    chooseFolder(other);
    EXPECT_EQ(messages.texts, QStringList{kNoRecordings});
    EXPECT_EQ(popup->tabFolder(1), card);
    EXPECT_EQ(folderText()->path(), QDir::toNativeSeparators(card));
    EXPECT_EQ(listed(1), recordings("evt_", 3));

    // What is handed over afterwards exists: the names still come with their own folder.
    addToList();
    ASSERT_EQ(owner->handovers.size(), 1u);
    ASSERT_EQ(owner->handovers[0].paths.size(), 1);
    EXPECT_TRUE(QFile::exists(owner->handovers[0].paths[0]));
    EXPECT_EQ(
        owner->handovers[0].paths[0], QDir::toNativeSeparators(card + "/evt_20240501_120001.mp4"));

    // A folder that does not exist is no folder at all; the tab still keeps its list.
    chooseFolder(QDir(root.path()).filePath("gone"));
    EXPECT_EQ(messages.texts.last(), QStringLiteral("Выберите папку"));
    EXPECT_EQ(listed(1).size(), 3);
}

TEST_F(FilesOpenPopupTest, AddToListHandsTheCheckedPathsOverInListOrderAndHides)
{
    const QString card = folder("card", recordings("drf_", 5));
    chooseFolder(card);
    for (int row : {4, 0, 2})
        list(0)->setChecked(row, true);
    addToList();

    ASSERT_EQ(owner->handovers.size(), 1u);
    const TestOwner::Handover& handover = owner->handovers[0];
    EXPECT_EQ(handover.count, 3u);
    EXPECT_EQ(handover.lParam, 2);
    EXPECT_EQ(handover.tab, 0);
    EXPECT_EQ(handover.shownStateDuringSend, 5);
    const QStringList names = recordings("drf_", 5);
    EXPECT_EQ(handover.paths,
        (QStringList{QDir::toNativeSeparators(card + "/" + names[0]),
            QDir::toNativeSeparators(card + "/" + names[2]),
            QDir::toNativeSeparators(card + "/" + names[4])}));
    EXPECT_FALSE(popup->isVisible());
    EXPECT_EQ(popup->shownState(), 0);
    EXPECT_TRUE(owner->hideRequests.empty());

    popup->SetVisible(5);
    EXPECT_TRUE(popup->isVisible());
    EXPECT_EQ(listed(0), names);
    EXPECT_EQ(list(0)->checkedCount(), 0);
    EXPECT_EQ(popup->page(0)->counterText(), "[ 000 / 005 ]");

    // A later, smaller hand-over replaces the whole selection.
    list(0)->setChecked(3, true);
    addToList();
    EXPECT_EQ(popup->selection(0), QStringList{QDir::toNativeSeparators(card + "/" + names[3])});
}

TEST_F(FilesOpenPopupTest, AddToListWithNothingCheckedAsksAndStaysOpen)
{
    addToList(); // an empty list: nothing at all
    EXPECT_TRUE(messages.texts.isEmpty());

    chooseFolder(folder("card", recordings("drf_", 2)));
    addToList();
    EXPECT_EQ(messages.texts, QStringList{kPleaseSelect});
    EXPECT_TRUE(owner->handovers.empty());
    EXPECT_TRUE(popup->isVisible());
    EXPECT_EQ(popup->shownState(), 5);
}

TEST_F(FilesOpenPopupTest, SixHundredCheckedLongPathsAreHandedOverWhole)
{
    // Folder names of 100 characters, three deep: every path is longer than 300 characters.
    QString deep = root.path();
    for (char c : {'a', 'b', 'c'})
        deep = QDir(deep).filePath(QString(100, QChar(c)));
    ASSERT_TRUE(QDir().mkpath(deep));
    const QStringList names = recordings("muevt_", 600);
    for (const QString& name : names) {
        QFile file(QDir(deep).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    tabs()->setCurrentIndex(2);
    chooseFolder(deep);
    ASSERT_EQ(list(2)->count(), 600);
    // The folder's text gives way in the middle; the whole path stays with the label.
    EXPECT_EQ(folderText()->path(), QDir::toNativeSeparators(deep));
    EXPECT_TRUE(folderText()->text().contains(QChar(0x2026)));
    EXPECT_TRUE(folderText()->text().endsWith(QString(20, QChar('c'))));
    QTest::mouseClick(popup->page(2)->selectAllBox(), Qt::LeftButton);
    EXPECT_EQ(popup->page(2)->counterText(), "[ 600 / 600 ]");
    addToList();

    ASSERT_EQ(owner->handovers.size(), 1u);
    const QStringList& paths = owner->handovers[0].paths;
    EXPECT_EQ(owner->handovers[0].count, 600u);
    ASSERT_EQ(paths.size(), 600);
    for (int i = 0; i < 600; ++i) {
        EXPECT_GT(paths[i].size(), 300);
        EXPECT_TRUE(paths[i].endsWith(names[i]));
        EXPECT_TRUE(QFile::exists(paths[i])) << i;
    }
}

TEST_F(FilesOpenPopupTest, RecordingsTheCameraNeverClosedStandOutWithTheReason)
{
    const QString card = folder("card", {});
    const auto box = [](const char* type, quint32 size, int payload) {
        QByteArray bytes(4, '\0');
        qToBigEndian(size, bytes.data());
        return bytes + QByteArray(type) + QByteArray(payload, '\x11');
    };
    const QByteArray ftyp = box("ftyp", 16, 8);
    const auto write = [&](const char* name, const QByteArray& bytes) {
        QFile file(QDir(card).filePath(QLatin1String(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    write("drf_20240501_120000.mp4", ftyp + box("mdat", 108, 100) + box("moov", 8, 0));
    // The power went: the media data run on past the end, and no index follows.
    write("drf_20240501_120100.mp4", ftyp + box("mdat", 100000, 100));
    chooseFolder(card);
    ASSERT_EQ(list(0)->count(), 2);
    list(0)->viewport()->repaint();
    EXPECT_EQ(list(0)->item(0)->toolTip(), QString());
    EXPECT_EQ(list(0)->item(1)->toolTip(), QString(strings::kReasonNotClosed));
    EXPECT_EQ(list(0)->item(1)->foreground().color(), RecordingCheckList::kRecoverableColour);
}

TEST_F(FilesOpenPopupTest, ChangingTabsUnchecksBothPages)
{
    const QString card = folder("card", recordings("drf_", 3) + recordings("evt_", 3));
    chooseFolder(card);
    tabs()->setCurrentIndex(1);
    chooseFolder(card);
    QTest::mouseClick(popup->page(1)->selectAllBox(), Qt::LeftButton);
    ASSERT_EQ(list(1)->checkedCount(), 3);

    tabs()->setCurrentIndex(0);
    EXPECT_EQ(list(1)->checkedCount(), 0);
    EXPECT_FALSE(popup->page(1)->selectAllBox()->isChecked());
    EXPECT_TRUE(popup->page(0)->isVisible());
    EXPECT_FALSE(popup->page(1)->isVisible());
    list(0)->setChecked(0, true);
    tabs()->setCurrentIndex(2);
    EXPECT_EQ(list(0)->checkedCount(), 0);
    EXPECT_EQ(popup->page(0)->counterText(), "[ 000 / 003 ]");
    EXPECT_TRUE(folderText()->path().isEmpty());
}

TEST_F(FilesOpenPopupTest, ResetUnchecksSelectAllOnTheEventTabsOnly)
{
    for (int tab = 0; tab < 3; ++tab) {
        popup->page(tab)->selectAllBox()->setChecked(true);
        popup->ResetTab(tab);
        EXPECT_EQ(popup->page(tab)->selectAllBox()->isChecked(), tab == 0) << tab;
    }
}

TEST_F(FilesOpenPopupTest, EveryWayOfClosingLeavesThePopupReadyToOpenAgain)
{
    const QString card = folder("card", recordings("drf_", 2));
    chooseFolder(card);
    const std::vector<std::pair<const char*, std::function<void()>>> ways{
        {"Cancel", [&] { QTest::mouseClick(button(2), Qt::LeftButton); }},
        {"Escape", [&] { QTest::keyClick(list(0), Qt::Key_Escape); }},
        {"Enter", [&] { QTest::keyClick(list(0), Qt::Key_Return); }},
        {"close box", [&] { popup->close(); }},
    };
    for (const auto& [name, close] : ways) {
        list(0)->setChecked(1, true);
        const size_t requests = owner->hideRequests.size();
        close();
        EXPECT_FALSE(popup->isVisible()) << name;
        EXPECT_EQ(popup->shownState(), 0) << name;
        ASSERT_EQ(owner->hideRequests.size(), requests + 1) << name;
        EXPECT_EQ(
            owner->hideRequests.back(), std::make_pair(platform::WParam(1), platform::LParam(1)));
        EXPECT_EQ(list(0)->checkedCount(), 0) << name;

        popup->SetVisible(5);
        EXPECT_TRUE(popup->isVisible()) << name;
        EXPECT_EQ(popup->shownState(), 5);
        EXPECT_EQ(listed(0).size(), 2) << name;
        EXPECT_EQ(popup->tabFolder(0), card);
    }
    EXPECT_TRUE(owner->handovers.empty());

    // Enter on a focused button is that button's click.
    button(1247)->setFocus();
    list(0)->setChecked(0, true);
    QTest::keyClick(button(1247), Qt::Key_Return);
    EXPECT_EQ(owner->handovers.size(), 1u);
}

TEST_F(FilesOpenPopupTest, EscapeSentToItsWindowFromOutsideLeavesTheButtonWorking)
{
    // As `xdotool key --window <selector> Escape` does it: the press goes through the window
    // system to the selector, which has the focus; so does the release if the selector still
    // has the focus, else it is sent to the window aside and the key stays down, repeating
    // (as presses) into whichever window has the focus.
    QWindow* window = popup->windowHandle();
    QTest::keyPress(window, Qt::Key_Escape);
    const bool held = !popup->isVisible();
    if (!held)
        QTest::keyRelease(window, Qt::Key_Escape);
    EXPECT_FALSE(popup->isVisible());
    EXPECT_EQ(popup->shownState(), 0);
    EXPECT_EQ(owner->hideRequests.size(), 1u);

    // Button 1241 shows it again, and it stays.
    popup->SetVisible(5);
    if (held)
        QTest::keyPress(window, Qt::Key_Escape);
    EXPECT_TRUE(popup->isVisible());
    EXPECT_EQ(popup->shownState(), 5);

    // A press it never saw go down does nothing when let go; Enter dismisses like Escape.
    QTest::keyRelease(window, Qt::Key_Escape);
    EXPECT_TRUE(popup->isVisible());
    QTest::keyClick(window, Qt::Key_Return);
    EXPECT_EQ(popup->shownState(), 0);
    EXPECT_EQ(owner->hideRequests.size(), 2u);
}

TEST_F(FilesOpenPopupTest, EveryOtherHideKeepsTheStateTrue)
{
    const QString card = folder("card", recordings("drf_", 2));
    chooseFolder(card);
    const std::vector<std::pair<const char*, std::function<void()>>> hides{
        {"done", [&] { popup->done(QDialog::Rejected); }},
        {"hide", [&] { popup->hide(); }},
    };
    for (const auto& [name, hide] : hides) {
        list(0)->setChecked(1, true);
        hide();
        EXPECT_FALSE(popup->isVisible()) << name;
        EXPECT_EQ(popup->shownState(), 0) << name;
        EXPECT_EQ(list(0)->checkedCount(), 0) << name;

        popup->SetVisible(5);
        EXPECT_TRUE(popup->isVisible()) << name;
        EXPECT_TRUE(popup->page(0)->isVisible()) << name;
        EXPECT_EQ(popup->shownState(), 5) << name;
        EXPECT_EQ(listed(0).size(), 2) << name;
    }
}

TEST_F(FilesOpenPopupTest, SetVisibleActsOnlyOnAChange)
{
    popup->SetVisible(5);
    EXPECT_EQ(popup->shownState(), 5);
    popup->SetVisible(0);
    EXPECT_FALSE(popup->isVisible());
    EXPECT_FALSE(popup->page(0)->isVisible());
    popup->SetVisible(0);
    EXPECT_EQ(popup->shownState(), 0);
    EXPECT_TRUE(owner->hideRequests.empty());
}
