// A stand-in for the player library: it plays nothing, records every command and entry
// argument, and lets the test fire any callback code. Its entry runs until "quit" arrives or
// its quit flag is set, then reports codes 16 and 22 as the real library does.
#include "FakePlayer.h"

#include "velqplayer/Protocol.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::mutex g_mutex;
std::vector<std::string> g_commands;
std::vector<std::string> g_arguments;
std::atomic<void*> g_instance{nullptr};
std::atomic<velq::Callback> g_callback{nullptr};
std::atomic<bool> g_running{false};
std::atomic<bool> g_quit{false};
std::atomic<bool> g_quitCodes{true};
std::atomic<bool> g_hold{false};
std::atomic<int> g_starts{0};
alignas(4) std::int32_t g_quitFlag = 0;

bool copyOut(const std::vector<std::string>& list, int index, char* out, int size)
{
    std::lock_guard lock(g_mutex);
    if (index < 0 || index >= int(list.size()) || size <= 0)
        return false;
    std::strncpy(out, list[index].c_str(), size - 1);
    out[size - 1] = 0;
    return true;
}

} // namespace

FAKE_EXPORT int Trovik(int argc, char** argv)
{
    {
        std::lock_guard lock(g_mutex);
        g_arguments.clear();
        for (int i = 0; i < argc; ++i)
            g_arguments.emplace_back(argv[i] ? argv[i] : "");
    }
    ++g_starts;
    g_running = true;
    while (g_hold || (!g_quit && std::atomic_ref<std::int32_t>(g_quitFlag).load() != 1))
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (g_quitCodes) {
        fake_fire(velq::CB_QUITTING, 0);
        fake_fire(velq::CB_ENDED, 0);
    }
    std::atomic_ref<std::int32_t>(g_quitFlag).store(0);
    g_quit = false;
    g_running = false;
    return 0;
}

FAKE_EXPORT void setInst(void* instance)
{
    g_instance = instance;
}

#ifndef FAKE_WITHOUT_SETW
FAKE_EXPORT void setW(velq::Callback callback)
{
    g_callback = callback;
}
#endif

FAKE_EXPORT int cmd_direct(const char* command)
{
    const std::string text = command ? command : "";
    {
        std::lock_guard lock(g_mutex);
        g_commands.push_back(text);
    }
    if (text == "quit")
        g_quit = true;
    return 0;
}

FAKE_EXPORT int fake_commandCount()
{
    std::lock_guard lock(g_mutex);
    return int(g_commands.size());
}

FAKE_EXPORT bool fake_command(int index, char* out, int size)
{
    return copyOut(g_commands, index, out, size);
}

FAKE_EXPORT void fake_clear()
{
    std::lock_guard lock(g_mutex);
    g_commands.clear();
    if (!g_running) {
        g_quit = false;
        std::atomic_ref<std::int32_t>(g_quitFlag).store(0);
    }
}

FAKE_EXPORT int fake_fire(int code, std::intptr_t argument)
{
    const velq::Callback callback = g_callback;
    return callback ? callback(g_instance, argument, code) : -1;
}

FAKE_EXPORT bool fake_callbackSet()
{
    return g_callback.load() != nullptr;
}

FAKE_EXPORT int fake_entryArgumentCount()
{
    std::lock_guard lock(g_mutex);
    return int(g_arguments.size());
}

FAKE_EXPORT bool fake_entryArgument(int index, char* out, int size)
{
    return copyOut(g_arguments, index, out, size);
}

FAKE_EXPORT bool fake_entryRunning()
{
    return g_running;
}

FAKE_EXPORT int fake_entryStarts()
{
    return g_starts;
}

FAKE_EXPORT std::int32_t* fake_quitFlag()
{
    return &g_quitFlag;
}

FAKE_EXPORT void fake_setQuitCodes(bool send)
{
    g_quitCodes = send;
}

FAKE_EXPORT void fake_holdEntry(bool hold)
{
    g_hold = hold;
}
