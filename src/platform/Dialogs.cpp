#include "platform/Dialogs.h"

#include "platform/AppMessage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QThread>

#include <atomic>
#include <functional>

namespace platform {

namespace {

std::atomic<MessageBoxService*> g_messageBoxes{nullptr};
std::atomic<FolderBrowserService*> g_folderBrowser{nullptr};

int showRealMessageBox(QWidget* parent, const QString& text, const QString& caption,
    Buttons buttons)
{
    QMessageBox box(parent);
    box.setText(text);
    box.setWindowTitle(caption.isEmpty() ? QStringLiteral("ZYN Viewer") : caption);
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Cancel:
        return IDCANCEL;
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    default:
        return buttons == Buttons::YesNo ? IDNO : IDOK;
    }
}

// Runs a job on the GUI thread for a worker that waits for its result.
class GuiCall : public QObject
{
public:
    explicit GuiCall(std::function<LResult()> job)
    {
        m_messages.bind(kRun, [job = std::move(job)](WParam, LParam) { return job(); });
    }

    static LResult run(std::function<LResult()> job)
    {
        auto* call = new GuiCall(std::move(job));
        call->moveToThread(QCoreApplication::instance()->thread());
        const LResult result = sendMessage(call, kRun);
        call->deleteLater();
        return result;
    }

    bool event(QEvent* event) override
    {
        return m_messages.dispatch(event) || QObject::event(event);
    }

private:
    static constexpr unsigned kRun = 1;
    MessageMap m_messages;
};

} // namespace

int messageBox(const QString& text, const QString& caption, Buttons buttons, QWidget* parent)
{
    if (MessageBoxService* service = g_messageBoxes.load())
        return service->show(parent, text, caption, buttons);
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || app->thread() == QThread::currentThread())
        return showRealMessageBox(parent, text, caption, buttons);
    // A worker thread may report to the user too, but widgets live on the GUI thread only: the
    // box is shown there and the worker waits for the answer, as it would for its own box.
    return static_cast<int>(
        GuiCall::run([&] { return showRealMessageBox(parent, text, caption, buttons); }));
}

std::optional<QString> browseForFolder(const QString& title, const QString& startFolder,
    QWidget* parent)
{
    const QString start = startFolder.isEmpty() ? QDir::currentPath() : startFolder;
    if (FolderBrowserService* service = g_folderBrowser.load())
        return service->browse(parent, title, start);
    const QString chosen = QFileDialog::getExistingDirectory(parent, title, start);
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen;
}

void setMessageBoxService(MessageBoxService* service)
{
    g_messageBoxes.store(service);
}

void setFolderBrowserService(FolderBrowserService* service)
{
    g_folderBrowser.store(service);
}

int RecordingMessageBox::show(QWidget*, const QString& text, const QString& caption, Buttons)
{
    std::lock_guard lock(m_mutex);
    texts.append(text);
    captions.append(caption);
    if (answers.empty())
        return IDOK;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

std::optional<QString> ScriptedFolderBrowser::browse(QWidget*, const QString& title,
    const QString& startFolder)
{
    titles.append(title);
    startFolders.append(startFolder);
    if (answers.empty())
        return std::nullopt;
    const bool chosen = answers.front().has_value();
    const QString folder = answers.front().value_or(QString());
    answers.pop_front();
    return chosen ? std::optional<QString>(folder) : std::nullopt;
}

} // namespace platform
