#pragma once

#include "platform/AppMessage.h"

#include <QWidget>

#include <vector>

namespace testsupport {

// A window that keeps every application message sent to it and answers each with `answer`:
// it stands in for the owner of a popup.
class MessageWindow : public QWidget
{
public:
    struct Message
    {
        unsigned message;
        platform::WParam wParam;
        platform::LParam lParam;
    };

    std::vector<Message> messages;
    platform::LResult answer = 0;

    int count(unsigned message) const
    {
        int n = 0;
        for (const Message& m : messages)
            n += m.message == message;
        return n;
    }

protected:
    bool event(QEvent* event) override
    {
        if (event->type() != platform::AppMessage::eventType())
            return QWidget::event(event);
        static const platform::MessageMap takeOver;
        takeOver.dispatch(event);
        auto* message = static_cast<platform::AppMessage*>(event);
        messages.push_back({message->message(), message->wParam(), message->lParam()});
        message->setResult(answer);
        return true;
    }
};

} // namespace testsupport
