#pragma once

#include <QString>
#include <QStringList>

#include <deque>
#include <mutex>
#include <optional>

class QWidget;

namespace platform {

// Button sets and answers keep the desktop's own values, so code that compares with them
// reads as the message-box calls it replaces.
enum class Buttons { Ok, OkCancel, YesNo };
enum Answer : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

class MessageBoxService
{
public:
    virtual ~MessageBoxService() = default;
    virtual int show(QWidget* parent, const QString& text, const QString& caption, Buttons buttons)
        = 0;
};

class FolderBrowserService
{
public:
    virtual ~FolderBrowserService() = default;
    // The chosen folder, or nothing when the user cancelled.
    virtual std::optional<QString> browse(QWidget* parent, const QString& title,
        const QString& startFolder)
        = 0;
};

// Modal message box; blocks the calling thread until answered. From a worker thread the box is
// shown on the GUI thread, which must not be waiting for that worker meanwhile.
int messageBox(const QString& text, const QString& caption = {}, Buttons buttons = Buttons::Ok,
    QWidget* parent = nullptr);

// Folder browser; starts in startFolder, or in the current directory when that is empty.
std::optional<QString> browseForFolder(const QString& title, const QString& startFolder = {},
    QWidget* parent = nullptr);

// Replace the services (tests); nullptr restores the real dialogs. The caller keeps ownership.
void setMessageBoxService(MessageBoxService* service);
void setFolderBrowserService(FolderBrowserService* service);

// Test double: records every message box and answers from a script (OK when it runs dry).
// Boxes may come from any thread; read the members once those threads are done.
class RecordingMessageBox : public MessageBoxService
{
public:
    RecordingMessageBox() { setMessageBoxService(this); }
    ~RecordingMessageBox() override { setMessageBoxService(nullptr); }

    int show(QWidget* parent, const QString& text, const QString& caption,
        Buttons buttons) override;

    QStringList texts;
    QStringList captions;
    std::deque<int> answers;

private:
    std::mutex m_mutex;
};

// Test double: answers each browse with the next scripted folder (nullopt cancels).
class ScriptedFolderBrowser : public FolderBrowserService
{
public:
    ScriptedFolderBrowser() { setFolderBrowserService(this); }
    ~ScriptedFolderBrowser() override { setFolderBrowserService(nullptr); }

    std::optional<QString> browse(QWidget* parent, const QString& title,
        const QString& startFolder) override;

    std::deque<std::optional<QString>> answers;
    QStringList titles;
    QStringList startFolders;
};

} // namespace platform
