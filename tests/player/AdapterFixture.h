#pragma once

#include "PlayerHarness.h"
#include "platform/AppMessage.h"
#include "platform/Library.h"
#include "player/PVEXAdap.h"
#include "player/PVEXState.h"
#include "velqplayer/Protocol.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace playertest {

// A window that keeps every application message it receives.
class MessageProbe : public QWidget
{
public:
    struct Message
    {
        unsigned message;
        platform::WParam wParam;
        platform::LParam lParam;
    };

    std::vector<Message> messages() const
    {
        std::lock_guard lock(m_mutex);
        return m_messages;
    }
    std::vector<unsigned> codes() const
    {
        std::vector<unsigned> codes;
        for (const Message& message : messages())
            codes.push_back(message.message);
        return codes;
    }
    int count(unsigned code) const
    {
        int n = 0;
        for (const Message& message : messages())
            n += message.message == code;
        return n;
    }
    void clear()
    {
        std::lock_guard lock(m_mutex);
        m_messages.clear();
    }

protected:
    bool event(QEvent* event) override
    {
        // A message posted from another thread is taken over through the platform's dispatch,
        // as every window does, before any of it is read; this map handles none itself.
        static const platform::MessageMap takeOver;
        takeOver.dispatch(event);
        if (event->type() != platform::AppMessage::eventType())
            return QWidget::event(event);
        auto* message = static_cast<platform::AppMessage*>(event);
        std::lock_guard lock(m_mutex);
        m_messages.push_back({message->message(), message->wParam(), message->lParam()});
        message->setResult(1);
        return true;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<Message> m_messages;
};

// The test player library, reached through its extra exports.
class FakeLibrary
{
public:
    static FakeLibrary& instance();
    static QString file(bool complete = true);

    std::vector<std::string> commands() const;
    void clear() const { m_clear(); }
    int fire(int code, std::intptr_t argument = 0) const { return m_fire(code, argument); }
    template <typename T> int fire(int code, T* argument) const
    {
        return m_fire(code, reinterpret_cast<std::intptr_t>(argument));
    }
    bool callbackSet() const { return m_callbackSet(); }
    std::vector<std::string> entryArguments() const;
    bool entryRunning() const { return m_entryRunning(); }
    int entryStarts() const { return m_entryStarts(); }
    std::int32_t* quitFlag() const { return m_quitFlag(); }
    void setQuitCodes(bool send) const { m_setQuitCodes(send); }
    void holdEntry(bool hold) const { m_holdEntry(hold); }

private:
    FakeLibrary();

    platform::Library m_library;
    int (*m_commandCount)() = nullptr;
    bool (*m_command)(int, char*, int) = nullptr;
    void (*m_clear)() = nullptr;
    int (*m_fire)(int, std::intptr_t) = nullptr;
    bool (*m_callbackSet)() = nullptr;
    int (*m_argumentCount)() = nullptr;
    bool (*m_argument)(int, char*, int) = nullptr;
    bool (*m_entryRunning)() = nullptr;
    int (*m_entryStarts)() = nullptr;
    std::int32_t* (*m_quitFlag)() = nullptr;
    void (*m_setQuitCodes)(bool) = nullptr;
    void (*m_holdEntry)(bool) = nullptr;
};

class AdapterTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    FakeLibrary& fake() { return FakeLibrary::instance(); }
    PVEXState* state() { return adapter->current(); }
    // Loads the test library and lets it report ready.
    void loadReady();
    // Ready, then a recording opened through the loading state and reported playing, with the
    // video windows and the quit flag handed over.
    void startPlaying(const std::string& name = {});
    std::string recordingPath(const char* name) const;

    QTemporaryDir m_folder;
    std::unique_ptr<MessageProbe> owner;
    std::unique_ptr<MessageProbe> window1;
    std::unique_ptr<MessageProbe> window2;
    std::unique_ptr<PVEXAdap> adapter;
};

} // namespace playertest
