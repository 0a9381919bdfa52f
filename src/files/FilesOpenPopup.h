#pragma once

#include <QDialog>
#include <QStringList>

#include <array>

class PathLabel;
class QPushButton;
class QTabBar;
class RecordingListPage;

// The file selector: three tabs, one per kind of recording, each listing the recordings of a
// folder the user chose for it. "Add to List" hands the checked recordings' full paths to the
// owner and hides the popup.
//
// The owner is the window that created the popup; it receives, synchronously:
//   UM_ADD_FILES (n, 2)  n >= 1 paths were collected: while handling it, the owner reads
//                        selection(currentTab()), which holds exactly those n paths in the
//                        order of the list;
//   UM_HIDE_POPUP (1, 1) the user dismissed the popup (Cancel, Escape, Enter, the close box or
//                        the window manager's close); the popup is already hidden by then, so
//                        the owner's SetVisible(0) changes nothing.
// The popup is created once and afterwards only shown and hidden; its folders and lists last
// as long as it does. It is placed over the owner each time it is shown.
class FilesOpenPopup : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kWidth = 360;
    static constexpr int kHeight = 448;
    static constexpr int kTabCount = 3;

    explicit FilesOpenPopup(QWidget* owner);
    ~FilesOpenPopup() override;

    // 5 shows the popup and its current page, 0 hides them; a request for the state the popup
    // is already in does nothing.
    void SetVisible(int state);
    int shownState() const { return m_shownState; }

    int currentTab() const;
    // The full paths handed over by the tab's last "Add to List".
    QStringList selection(int tab) const;
    // The folder the tab lists; empty until one with recordings has been chosen.
    QString tabFolder(int tab) const;
    RecordingListPage* page(int tab) const;

    // Where the popup goes for an owner with this frame geometry: centred over it.
    static QPoint placement(const QRect& ownerGeometry);

    static bool FolderHasRecordings(const QString& folder, int tab);
    // Empties the tab's list and its last hand-over; tabs 1 and 2 also uncheck "Select All".
    void ResetTab(int tab);
    // Lists the folder's recordings of the tab's kind in place of the tab's list, reading the
    // folder once. A folder without any leaves the tab as it was and says so; one that cannot
    // be read leaves it silently. Returns the number of names listed.
    int ScanFolder(const QString& folder, int tab);
    // Puts the full paths of the tab's checked names, in list order, into its selection and
    // returns how many there are.
    int CollectChecked(int tab);

public slots:
    void accept() override;
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void bindMessageMap();
    void onChooseFolder();
    void onAddToList();
    void onCancel();
    void onTabChanged(int tab);

    QTabBar* m_tabs = nullptr;
    std::array<RecordingListPage*, kTabCount> m_pages{};
    PathLabel* m_folderText = nullptr;
    QPushButton* m_chooseFolder = nullptr;
    QPushButton* m_addToList = nullptr;
    QPushButton* m_cancel = nullptr;

    std::array<QString, kTabCount> m_tabFolders;
    std::array<QStringList, kTabCount> m_selections;
    int m_shownState = 0;
    int m_pressedKey = 0; // Enter or Escape, gone down here and not yet let go
};
