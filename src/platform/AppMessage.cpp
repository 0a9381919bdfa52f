#include "platform/AppMessage.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QThread>

namespace platform {

AppMessage::AppMessage(unsigned message, WParam wParam, LParam lParam)
    : QEvent(eventType())
    , m_message(message)
    , m_wParam(wParam)
    , m_lParam(lParam)
{
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
    AppMessage event(message, wParam, lParam);
    if (receiver->thread() == QThread::currentThread()) {
        QCoreApplication::sendEvent(receiver, &event);
    } else {
        QMetaObject::invokeMethod(
            receiver, [receiver, &event] { QCoreApplication::sendEvent(receiver, &event); },
            Qt::BlockingQueuedConnection);
    }
    return event.result();
}

void notifyMessage(QObject* receiver, unsigned message, WParam wParam, LParam lParam)
{
    if (!receiver)
        return;
    if (receiver->thread() == QThread::currentThread()) {
        AppMessage event(message, wParam, lParam);
        QCoreApplication::sendEvent(receiver, &event);
    } else {
        QCoreApplication::postEvent(receiver, new AppMessage(message, wParam, lParam));
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
