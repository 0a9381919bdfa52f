#include "platform/Dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

using namespace platform;

namespace {

QMessageBox* shownMessageBox()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible())
            return box;
    return nullptr;
}

// Answers the real message box that a worker thread asks for, from the GUI thread, by clicking
// the given button; returns the worker's answer.
int answerRealBoxFromWorker(Buttons buttons, QMessageBox::StandardButton click, QThread** boxThread)
{
    // The box runs its own event loop on the GUI thread; a timer there finds it and answers.
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, [&] {
        if (QMessageBox* box = shownMessageBox()) {
            *boxThread = box->thread();
            EXPECT_EQ(box->text(), QStringLiteral("from worker"));
            box->button(click)->click();
        }
    });
    answerer.start(5);

    std::atomic<int> answer{-1};
    std::thread worker([&] { answer = messageBox(QStringLiteral("from worker"), {}, buttons); });
    QElapsedTimer timer;
    timer.start();
    while (answer == -1 && timer.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    worker.join();
    return answer;
}

} // namespace

TEST(DialogsTest, RecordingMessageBoxRecordsAndAnswersFromItsScript)
{
    RecordingMessageBox boxes;
    boxes.answers = {IDYES, IDCANCEL};
    EXPECT_EQ(
        messageBox(QStringLiteral("first"), QStringLiteral("caption"), Buttons::YesNo), IDYES);
    EXPECT_EQ(messageBox(QStringLiteral("second"), {}, Buttons::OkCancel), IDCANCEL);
    EXPECT_EQ(messageBox(QStringLiteral("third")), IDOK); // the script ran dry

    // Boxes from other threads are recorded too.
    std::thread worker([] { messageBox(QStringLiteral("from worker")); });
    worker.join();

    EXPECT_EQ(boxes.texts,
        QStringList({QStringLiteral("first"), QStringLiteral("second"), QStringLiteral("third"),
            QStringLiteral("from worker")}));
    EXPECT_EQ(boxes.captions.first(), QStringLiteral("caption"));
}

TEST(DialogsTest, RealMessageBoxFromWorkerIsShownOnGuiThread)
{
    QThread* boxThread = nullptr;
    EXPECT_EQ(answerRealBoxFromWorker(Buttons::Ok, QMessageBox::Ok, &boxThread), IDOK);
    EXPECT_EQ(boxThread, QCoreApplication::instance()->thread());
    EXPECT_EQ(answerRealBoxFromWorker(Buttons::YesNo, QMessageBox::No, &boxThread), IDNO);
    EXPECT_EQ(answerRealBoxFromWorker(Buttons::YesNo, QMessageBox::Yes, &boxThread), IDYES);
    EXPECT_EQ(
        answerRealBoxFromWorker(Buttons::OkCancel, QMessageBox::Cancel, &boxThread), IDCANCEL);
}

TEST(DialogsTest, ScriptedFolderBrowserAnswersAndCancels)
{
    ScriptedFolderBrowser browser;
    browser.answers = {QStringLiteral("/media/card"), std::nullopt};

    EXPECT_EQ(browseForFolder(QStringLiteral("Выберите папку")), QStringLiteral("/media/card"));
    EXPECT_EQ(browseForFolder(QStringLiteral("t"), QStringLiteral("/start")), std::nullopt);
    EXPECT_EQ(browseForFolder(QStringLiteral("t")), std::nullopt); // the script ran dry: cancel

    EXPECT_EQ(browser.titles.first(), QStringLiteral("Выберите папку"));
    // Without a start folder the browser opens at the current directory.
    EXPECT_EQ(browser.startFolders,
        QStringList({QDir::currentPath(), QStringLiteral("/start"), QDir::currentPath()}));
}
