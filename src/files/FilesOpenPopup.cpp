#include "files/FilesOpenPopup.h"

#include "files/EventFileUp.h"
#include "files/InfinityFileUp.h"
#include "files/ParkingFileUp.h"
#include "files/PathLabel.h"
#include "files/RecordingCheckList.h"
#include "files/RecordingFolder.h"
#include "platform/AppMessage.h"
#include "platform/Dialogs.h"
#include "resources/Fonts.h"
#include "resources/Skin.h"
#include "resources/Strings.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFrame>
#include <QHideEvent>
#include <QKeyEvent>
#include <QProxyStyle>
#include <QPushButton>
#include <QTabBar>

namespace {

// The popup's own layout, in client pixels.
constexpr QRect kTabControl(8, 8, 344, 350);
constexpr int kTabStrip = 20; // the pages start this far below the tab control's top
constexpr QRect kFolderText(8, 366, 344, 24);
constexpr QRect kChooseFolder(8, 404, 110, 32);
constexpr QRect kAddToList(126, 404, 130, 32);
constexpr QRect kCancel(264, 404, 88, 32);

recording::RecordingType kindOfTab(int tab)
{
    // The tabs stand in the order of the kinds: continuous, sensor event, manual event.
    return static_cast<recording::RecordingType>(tab);
}

bool validTab(int tab)
{
    return tab >= 0 && tab < FilesOpenPopup::kTabCount;
}

// Narrower padding than the desktop style's, so that the three captions fit the popup's
// width side by side rather than behind scroll arrows.
class CompactTabStyle : public QProxyStyle
{
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
        const QWidget* widget) const override
    {
        if (metric == PM_TabBarTabHSpace)
            return 12;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

QPushButton* makeButton(const QString& caption, int id, const QRect& at, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::number(id));
    button->setGeometry(at);
    return button;
}

} // namespace

FilesOpenPopup::FilesOpenPopup(QWidget* owner)
    : QDialog(owner,
        Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(strings::kFileSelectorTitle);
    setWindowIcon(skin::appIcon());
    setModal(false);
    setFont(fonts::pointFont(80));
    setFixedSize(kWidth, kHeight);
    createControls();
    bindMessageMap();
}

FilesOpenPopup::~FilesOpenPopup() = default;

void FilesOpenPopup::createControls()
{
    // The tab control is the strip of tabs over a framed panel; the pages sit on the panel,
    // inset from the control's rectangle by 4 pixels and by the strip at the top.
    auto* tabControl = new QFrame(this);
    tabControl->setGeometry(kTabControl);
    auto* panel = new QFrame(tabControl);
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    panel->setGeometry(0, kTabStrip - 2, kTabControl.width(), kTabControl.height() - kTabStrip + 2);

    m_tabs = new QTabBar(tabControl);
    auto* tabStyle = new CompactTabStyle;
    tabStyle->setParent(m_tabs);
    m_tabs->setStyle(tabStyle);
    m_tabs->setObjectName(QStringLiteral("1246"));
    m_tabs->setDrawBase(false);
    m_tabs->setExpanding(false);
    m_tabs->addTab(strings::kTabContinuous);
    m_tabs->addTab(strings::kTabEvent);
    m_tabs->addTab(strings::kTabManual);
    m_tabs->setGeometry(0, 0, kTabControl.width(), kTabStrip);

    m_pages = {
        new InfinityFileUp(tabControl), new EventFileUp(tabControl), new ParkingFileUp(tabControl)};
    const QRect pageRect = QRect(QPoint(0, 0), kTabControl.size()).adjusted(4, kTabStrip, -4, -4);
    for (RecordingListPage* page : m_pages) {
        page->setGeometry(pageRect);
        page->setVisible(false);
    }
    m_pages[0]->setVisible(true);
    m_tabs->setCurrentIndex(0);

    m_folderText = new PathLabel(this);
    m_folderText->setObjectName(QStringLiteral("1261"));
    m_folderText->setGeometry(kFolderText);

    m_chooseFolder = makeButton(strings::kChooseFolderButton, 1245, kChooseFolder, this);
    m_addToList = makeButton(strings::kAddToList, 1247, kAddToList, this);
    m_cancel = makeButton(strings::kCancel, 2, kCancel, this);
}

void FilesOpenPopup::bindMessageMap()
{
    connect(m_chooseFolder, &QPushButton::clicked, this, &FilesOpenPopup::onChooseFolder);
    connect(m_addToList, &QPushButton::clicked, this, &FilesOpenPopup::onAddToList);
    connect(m_cancel, &QPushButton::clicked, this, &FilesOpenPopup::onCancel);
    connect(m_tabs, &QTabBar::currentChanged, this, &FilesOpenPopup::onTabChanged);
}

QPoint FilesOpenPopup::placement(const QRect& ownerGeometry)
{
    // Over the owner wherever it has been dragged; the halves truncate toward zero.
    return ownerGeometry.topLeft()
        + QPoint((ownerGeometry.width() - kWidth) / 2, (ownerGeometry.height() - kHeight) / 2);
}

void FilesOpenPopup::SetVisible(int state)
{
    if (state == m_shownState)
        return;
    m_shownState = m_shownState == 0 ? 5 : 0;
    const bool shown = m_shownState != 0;
    if (shown && parentWidget())
        move(placement(parentWidget()->window()->frameGeometry()));
    QDialog::setVisible(shown);
    m_pages[currentTab()]->setVisible(shown);
    if (shown) {
        raise();
        activateWindow();
    }
}

int FilesOpenPopup::currentTab() const
{
    return qBound(0, m_tabs->currentIndex(), kTabCount - 1);
}

QStringList FilesOpenPopup::selection(int tab) const
{
    return validTab(tab) ? m_selections[tab] : QStringList();
}

QString FilesOpenPopup::tabFolder(int tab) const
{
    return validTab(tab) ? m_tabFolders[tab] : QString();
}

RecordingListPage* FilesOpenPopup::page(int tab) const
{
    return validTab(tab) ? m_pages[tab] : nullptr;
}

bool FilesOpenPopup::FolderHasRecordings(const QString& folder, int tab)
{
    return validTab(tab) && files::folderHasRecordings(folder, kindOfTab(tab));
}

void FilesOpenPopup::ResetTab(int tab)
{
    if (!validTab(tab))
        return;
    m_selections[tab].clear();
    m_pages[tab]->list()->clear();
    // Tab 0 leaves its box alone; it is cleared anyway whenever the page is shown or hidden.
    if (tab != 0)
        m_pages[tab]->selectAllBox()->setChecked(false);
}

int FilesOpenPopup::ScanFolder(const QString& folder, int tab)
{
    if (!validTab(tab))
        return 0;
    const files::FolderListing listing = files::listRecordings(folder, kindOfTab(tab));
    // Only a folder with recordings replaces the tab's folder and list together: a later
    // "Add to List" joins the tab's folder with the listed names, which must come from it.
    if (!listing.names.isEmpty()) {
        ResetTab(tab);
        m_tabFolders[tab] = folder;
        m_pages[tab]->list()->setFolder(folder);
        m_pages[tab]->list()->appendNames(listing.names);
        if (tab == currentTab())
            m_folderText->setPath(folder);
    }
    for (RecordingListPage* page : m_pages)
        page->UpdateCounter();
    if (listing.readable && listing.names.isEmpty())
        platform::messageBox(strings::kNoRecordingsInFolder, {}, platform::Buttons::Ok, this);
    return static_cast<int>(listing.names.size());
}

int FilesOpenPopup::CollectChecked(int tab)
{
    if (!validTab(tab))
        return 0;
    const RecordingCheckList* list = m_pages[tab]->list();
    QStringList paths;
    for (int row = 0; row < list->count(); ++row) {
        if (list->isChecked(row))
            paths.append(files::recordingPath(m_tabFolders[tab], list->name(row)));
    }
    m_selections[tab] = paths;
    return static_cast<int>(paths.size());
}

void FilesOpenPopup::onChooseFolder()
{
    const int tab = currentTab();
    const std::optional<QString> chosen
        = platform::browseForFolder(strings::kChooseFolder, m_tabFolders[tab], this);
    if (!chosen) {
        platform::messageBox(strings::kFolderChoiceCancelled, {}, platform::Buttons::Ok, this);
        return;
    }
    if (chosen->isEmpty() || !QFileInfo(*chosen).isDir()) {
        platform::messageBox(strings::kChooseFolder, {}, platform::Buttons::Ok, this);
        return;
    }
    ScanFolder(*chosen, tab);
}

void FilesOpenPopup::onAddToList()
{
    const int tab = currentTab();
    RecordingCheckList* list = m_pages[tab]->list();
    const int collected = CollectChecked(tab);
    if (list->count() > 0 && collected == 0)
        platform::messageBox(strings::kPleaseSelectRecordings, {}, platform::Buttons::Ok, this);
    list->setAllChecked(false);
    if (collected == 0)
        return;
    platform::sendMessage(
        parentWidget(), platform::UM_ADD_FILES, static_cast<platform::WParam>(collected), 2);
    if (m_shownState != 0)
        SetVisible(0);
}

void FilesOpenPopup::onCancel()
{
    // Hidden here rather than left to the owner, so that every way of dismissing the popup
    // leaves it in the state from which the next SetVisible(5) shows it again.
    SetVisible(0);
    platform::sendMessage(parentWidget(), platform::UM_HIDE_POPUP, 1, 1);
}

void FilesOpenPopup::onTabChanged(int tab)
{
    if (!validTab(tab))
        return;
    // Showing and hiding a page clears its checks, so none survive a change of tab.
    for (int other = 0; other < kTabCount; ++other) {
        if (other != tab)
            m_pages[other]->setVisible(false);
    }
    m_pages[tab]->setVisible(true);
    m_folderText->setPath(m_tabFolders[tab]);
}

void FilesOpenPopup::accept()
{
    onCancel();
}

void FilesOpenPopup::reject()
{
    onCancel();
}

void FilesOpenPopup::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        // Acted on when let go, and only when it went down here: a key held since before the
        // popup was shown (or left down by a test tool that sent its release elsewhere) goes on
        // repeating into the popup, and would hide it again each time it is shown.
        if (!event->isAutoRepeat())
            m_pressedKey = event->key();
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void FilesOpenPopup::keyReleaseEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (event->isAutoRepeat() || m_pressedKey == 0 || key != m_pressedKey) {
        QDialog::keyReleaseEvent(event);
        return;
    }
    m_pressedKey = 0;
    event->accept();
    // A focused button takes Enter as a click, as in any dialog; elsewhere Enter dismisses the
    // popup like Escape.
    auto* button = qobject_cast<QPushButton*>(focusWidget());
    if (button && key != Qt::Key_Escape)
        button->click();
    else
        onCancel();
}

void FilesOpenPopup::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    // Hidden some other way than SetVisible(0) (QDialog::done(), hide()): the state follows,
    // or the next SetVisible(5) would find it "shown" and do nothing. A spontaneous hide (the
    // desktop minimising it) leaves it shown as far as Qt is concerned.
    if (event->spontaneous())
        return;
    m_pressedKey = 0;
    if (m_shownState != 0) {
        m_shownState = 0;
        m_pages[currentTab()]->setVisible(false);
    }
}

void FilesOpenPopup::closeEvent(QCloseEvent* event)
{
    if (m_shownState != 0)
        onCancel();
    event->accept();
}
