#include "platform/AppMessage.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

using namespace platform;

namespace {

// A window-like receiver: its event() hands application messages to its message map.
class Receiver : public QObject
{
public:
    Receiver()
    {
        m_messages = {
            {UM_ADD_FILES, [this](WParam w, LParam l) { return record(w, l); }},
            {UM_HIDE_POPUP, [this](WParam w, LParam l) { return record(w, l); }},
        };
    }

    bool event(QEvent* event) override
    {
        if (m_messages.dispatch(event))
            return true;
        return QObject::event(event);
    }

    std::atomic<int> calls{0};
    std::atomic<QThread*> handledOn{nullptr};
    std::atomic<WParam> lastWParam{0};
    std::atomic<LParam> lastLParam{0};

private:
    LResult record(WParam wParam, LParam lParam)
    {
        handledOn = QThread::currentThread();
        lastWParam = wParam;
        lastLParam = lParam;
        ++calls;
        return static_cast<LResult>(wParam) * 10 + lParam;
    }

    MessageMap m_messages;
};

// Runs the GUI thread's event loop until the condition holds (or a generous limit passes).
template <typename Condition> bool spinUntil(Condition condition)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return condition();
}

} // namespace

TEST(AppMessageTest, ValuesAreThoseOfTheMessageTable)
{
    const std::pair<unsigned, unsigned> table[] = {
        {UM_GET_TIME_LENGTH, 0x0600},
        {UM_MAIN_MOVED, 0x0660},
        {UM_FRAME_STEP, 0x0670},
        {UM_REFRESH_VIDEO, 0x0690},
        {UM_REFRESH_VIDEO_2, 0x0760},
        {UM_LIBRARY_ACK, 0x0750},
        {UM_LAST_RECORD, 0x0770},
        {UM_PLACE_VIDEO, 0x0780},
        {UM_WRITE_DEVICE_FILE, 0x0790},
        {UM_TIME_UPDATE, 0x0800},
        {UM_PASSWORD_RESULT, 0x0810},
        {UM_ADD_FILES, 0x0820},
        {UM_COPY_RECORDINGS, 0x0830},
        {UM_SHOW_COMPLETION, 0x0840},
        {UM_PANEL_TIMER_SLOW, 0x0850},
        {UM_HIDE_POPUP, 0x0860},
        {UM_SETTINGS_CLOSED, 0x8064},
    };
    for (const auto& [constant, value] : table)
        EXPECT_EQ(constant, value);
}

TEST(AppMessageTest, SameThreadDeliveryIsSynchronous)
{
    Receiver receiver;
    EXPECT_EQ(sendMessage(&receiver, UM_ADD_FILES, 3, 2), 32);
    EXPECT_EQ(receiver.calls, 1);

    // Not waiting, but on the receiver's own thread: handled before the call returns.
    notifyMessage(&receiver, UM_HIDE_POPUP, 1, 1);
    EXPECT_EQ(receiver.calls, 2);
    EXPECT_EQ(receiver.lastWParam, 1u);
    EXPECT_EQ(receiver.handledOn, QThread::currentThread());

    // Large parameters (pointers travel in them) arrive whole.
    const auto pointer = reinterpret_cast<WParam>(&receiver);
    sendMessage(&receiver, UM_ADD_FILES, pointer, -5);
    EXPECT_EQ(receiver.lastWParam, pointer);
    EXPECT_EQ(receiver.lastLParam, -5);
}

TEST(AppMessageTest, UnknownMessagesAndEventsAreIgnored)
{
    Receiver receiver;
    EXPECT_EQ(sendMessage(&receiver, UM_TIME_UPDATE, 1, 1), 0);
    notifyMessage(&receiver, UM_SETTINGS_CLOSED);
    EXPECT_EQ(receiver.calls, 0);

    MessageMap map;
    map.bind(UM_LAST_RECORD, [](WParam, LParam) { return 7; });
    QEvent other(QEvent::User);
    EXPECT_FALSE(map.dispatch(&other));
    AppMessage unknown(UM_ADD_FILES, 0, 0);
    EXPECT_FALSE(map.dispatch(&unknown));
    AppMessage known(UM_LAST_RECORD, 0, 1);
    EXPECT_TRUE(map.dispatch(&known));
    EXPECT_EQ(known.result(), 7);

    // A later bind replaces the handler.
    map.bind(UM_LAST_RECORD, [](WParam, LParam l) { return l + 100; });
    AppMessage again(UM_LAST_RECORD, 0, 1);
    map.dispatch(&again);
    EXPECT_EQ(again.result(), 101);

    EXPECT_EQ(sendMessage(nullptr, UM_ADD_FILES), 0);
    notifyMessage(nullptr, UM_ADD_FILES);
}

TEST(AppMessageTest, WaitingSendFromWorkerRunsOnReceiverThreadAndReturnsResult)
{
    Receiver receiver;
    std::atomic<bool> done{false};
    LResult result = -1;
    int callsSeenAfterReturn = -1;
    std::thread worker([&] {
        result = sendMessage(&receiver, UM_ADD_FILES, 4, 2);
        callsSeenAfterReturn = receiver.calls; // the handler has run before the send returns
        done = true;
    });
    EXPECT_TRUE(spinUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_EQ(result, 42);
    EXPECT_EQ(callsSeenAfterReturn, 1);
    EXPECT_EQ(receiver.handledOn, QCoreApplication::instance()->thread());
}

TEST(AppMessageTest, NotifyFromWorkerIsPostedAndArrivesOnceTheLoopRuns)
{
    Receiver receiver;
    std::thread worker([&] {
        notifyMessage(&receiver, UM_HIDE_POPUP, 1, 1);
        notifyMessage(&receiver, UM_ADD_FILES, 2, 2);
    });
    worker.join(); // returned without the GUI thread running its loop
    EXPECT_EQ(receiver.calls, 0);

    EXPECT_TRUE(spinUntil([&] { return receiver.calls == 2; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(receiver.calls, 2); // each exactly once, in order
    EXPECT_EQ(receiver.lastWParam, 2u);
    EXPECT_EQ(receiver.handledOn, QCoreApplication::instance()->thread());
}

TEST(AppMessageTest, SendToObjectOnWorkerThreadRunsThere)
{
    QThread thread;
    auto* receiver = new Receiver;
    receiver->moveToThread(&thread);
    thread.start();

    EXPECT_EQ(sendMessage(receiver, UM_ADD_FILES, 5, 1), 51);
    EXPECT_EQ(receiver->handledOn, &thread);

    notifyMessage(receiver, UM_HIDE_POPUP, 9, 9);
    EXPECT_TRUE(spinUntil([&] { return receiver->calls == 2; }));
    EXPECT_EQ(receiver->lastWParam, 9u);

    receiver->deleteLater(); // on its own thread, at the latest when that thread ends
    thread.quit();
    thread.wait();
}

TEST(AppMessageTest, WaitingSendWhoseMessageIsDroppedReturnsZero)
{
    // The receiver's thread never runs, so only the removal of its pending events (what a
    // receiver's destruction does) can end the wait.
    QThread idle;
    Receiver receiver;
    receiver.moveToThread(&idle);
    std::atomic<bool> done{false};
    LResult result = -1;
    std::thread sender([&] {
        result = sendMessage(&receiver, UM_ADD_FILES, 1, 1);
        done = true;
    });
    QElapsedTimer timer;
    timer.start();
    while (!done && timer.elapsed() < 5000) {
        QCoreApplication::removePostedEvents(&receiver);
        QThread::msleep(1);
    }
    sender.join();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(receiver.calls, 0);
}
