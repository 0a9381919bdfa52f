#pragma once

#include <QEvent>

#include <cstdint>
#include <functional>
#include <unordered_map>

class QObject;

namespace platform {

// Application messages between the windows, the player adapter and the player library.
enum : unsigned {
    UM_GET_TIME_LENGTH = 0x0600,
    UM_MAIN_MOVED = 0x0660,
    UM_FRAME_STEP = 0x0670,
    UM_REFRESH_VIDEO = 0x0690,
    UM_REFRESH_VIDEO_2 = 0x0760,
    UM_LIBRARY_ACK = 0x0750,
    UM_LAST_RECORD = 0x0770,
    UM_PLACE_VIDEO = 0x0780,
    UM_WRITE_DEVICE_FILE = 0x0790,
    UM_TIME_UPDATE = 0x0800,
    UM_PASSWORD_RESULT = 0x0810,
    UM_ADD_FILES = 0x0820,
    UM_COPY_RECORDINGS = 0x0830,
    UM_SHOW_COMPLETION = 0x0840,
    UM_PANEL_TIMER_SLOW = 0x0850,
    UM_HIDE_POPUP = 0x0860,
    // Player adapter → main window, never waited for: the recording the window asked for
    // cannot be opened (refused or unplayable); PVEXAdap::failedFileName() names it.
    UM_OPEN_FAILED = 0x0870,
    UM_SETTINGS_CLOSED = 0x8064,
};

using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using LResult = std::intptr_t;

// One event type carries every application message: (message, wParam, lParam), and the
// handler's result travels back in the same event.
class AppMessage : public QEvent
{
public:
    AppMessage(unsigned message, WParam wParam, LParam lParam);
    ~AppMessage() override;

    static QEvent::Type eventType();

    unsigned message() const { return m_message; }
    WParam wParam() const { return m_wParam; }
    LParam lParam() const { return m_lParam; }
    LResult result() const { return m_result; }
    void setResult(LResult result) { m_result = result; }

private:
    unsigned m_message;
    WParam m_wParam;
    LParam m_lParam;
    LResult m_result = 0;
};

// Sent and waited for: runs the receiver's handler on the receiver's thread and returns its
// result. From another thread the caller blocks until the handler has run, so the receiver's
// thread must not be waiting on the caller; a receiver destroyed before that answers 0.
LResult sendMessage(QObject* receiver, unsigned message, WParam wParam = 0, LParam lParam = 0);

// Sent without waiting: handled at once on the receiver's own thread, queued from any other.
void notifyMessage(QObject* receiver, unsigned message, WParam wParam = 0, LParam lParam = 0);

// The application messages a window reacts to; its event() hands every event to dispatch().
class MessageMap
{
public:
    using Handler = std::function<LResult(WParam, LParam)>;

    MessageMap() = default;
    MessageMap(std::initializer_list<std::pair<const unsigned, Handler>> handlers);

    void bind(unsigned message, Handler handler);
    // True when the event was an application message of this map (its result is set).
    bool dispatch(QEvent* event) const;

private:
    std::unordered_map<unsigned, Handler> m_handlers;
};

} // namespace platform
