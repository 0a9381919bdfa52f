#include "platform/AppMessage.h"

#include <QCoreApplication>
#include <QObject>
#include <QThread>

#include <condition_variable>
#include <memory>
#include <mutex>

#if defined(__SANITIZE_THREAD__)
#define ZYN_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define ZYN_TSAN 1
#endif
#endif
#ifdef ZYN_TSAN
#include <sanitizer/tsan_interface.h>
#endif

namespace platform {

namespace {

// Qt hands a posted event to the receiver's thread under its own futex-based locks, which
// ThreadSanitizer cannot see in a Qt built without it; these mark the hand-over Qt provides.
void handOver([[maybe_unused]] const void* event)
{
#ifdef ZYN_TSAN
    __tsan_release(const_cast<void*>(event));
#endif
}

// Posts under the same marking. Threads posting at once grow Qt's queue of posted events in
// turn under Qt's lock; a lock of ours the sanitizer sees stands in for it.
void post(QObject* receiver, QEvent* event)
{
    handOver(event);
#ifdef ZYN_TSAN
    static std::mutex queue;
    std::lock_guard lock(queue);
#endif
    QCoreApplication::postEvent(receiver, event);
}

void takeOver([[maybe_unused]] const void* event)
{
#ifdef ZYN_TSAN
    __tsan_acquire(const_cast<void*>(event));
#endif
}

// Where a waiting sender learns that its message has been handled.
struct Reply
{
    std::mutex mutex;
    std::condition_variable handled;
    bool done = false;
    LResult result = 0;
};

// A message sent from another thread and waited for. Qt deletes a posted event on the
// receiver's thread right after delivering it, or when the receiver goes away first: either
// way the destructor wakes the sender, so it can never wait for a receiver that is gone.
class WaitedMessage : public AppMessage
{
public:
    WaitedMessage(unsigned message, WParam wParam, LParam lParam, std::shared_ptr<Reply> reply)
        : AppMessage(message, wParam, lParam)
        , m_reply(std::move(reply))
    {
    }
    ~WaitedMessage() override
    {
        takeOver(this);
        {
            std::lock_guard lock(m_reply->mutex);
            m_reply->result = result();
            m_reply->done = true;
        }
        m_reply->handled.notify_all();
    }

private:
    std::shared_ptr<Reply> m_reply;
};

} // namespace

AppMessage::AppMessage(unsigned message, WParam wParam, LParam lParam)
    : QEvent(eventType())
    , m_message(message)
    , m_wParam(wParam)
    , m_lParam(lParam)
{
}

AppMessage::~AppMessage()
{
    takeOver(this);
}

QEvent::Type AppMessage::eventType()
{
    // A fixed number, not a registered one: the player library compiles this file in as well,
    // and both copies must agree on the type. Registered types count down from MaxUser.
    return static_cast<QEvent::Type>(QEvent::User + 0x0A00);
}

LResult sendMessage(QObject* receiver, unsigned message, WParam wParam, LParam lParam)
{
    if (!receiver)
        return 0;
    if (receiver->thread() == QThread::currentThread()) {
        AppMessage event(message, wParam, lParam);
        QCoreApplication::sendEvent(receiver, &event);
        return event.result();
    }
    auto reply = std::make_shared<Reply>();
    auto* event = new WaitedMessage(message, wParam, lParam, reply);
    post(receiver, event);
    std::unique_lock lock(reply->mutex);
    reply->handled.wait(lock, [&] { return reply->done; });
    return reply->result;
}

void notifyMessage(QObject* receiver, unsigned message, WParam wParam, LParam lParam)
{
    if (!receiver)
        return;
    if (receiver->thread() == QThread::currentThread()) {
        AppMessage event(message, wParam, lParam);
        QCoreApplication::sendEvent(receiver, &event);
    } else {
        auto* event = new AppMessage(message, wParam, lParam);
        post(receiver, event);
    }
}

MessageMap::MessageMap(std::initializer_list<std::pair<const unsigned, Handler>> handlers)
    : m_handlers(handlers)
{
}

void MessageMap::bind(unsigned message, Handler handler)
{
    m_handlers[message] = std::move(handler);
}

bool MessageMap::dispatch(QEvent* event) const
{
    takeOver(event);
    if (event->type() != AppMessage::eventType())
        return false;
    auto* message = static_cast<AppMessage*>(event);
    const auto it = m_handlers.find(message->message());
    if (it == m_handlers.end())
        return false;
    message->setResult(it->second(message->wParam(), message->lParam()));
    return true;
}

} // namespace platform
