#include "platform/Exit.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <mutex>

namespace platform {

namespace {
std::mutex g_hookMutex;
std::function<void(int)> g_hook;
std::function<void()> g_beforeExit;
} // namespace

void exitProgram(int code)
{
    std::function<void(int)> hook;
    std::function<void()> beforeExit;
    {
        std::lock_guard lock(g_hookMutex);
        hook = g_hook;
        beforeExit = g_beforeExit;
    }
    if (beforeExit)
        beforeExit();
    if (hook)
        hook(code); // a test hook does not return: it throws back to the test
    // The caller may be any thread while the GUI thread is still painting: running the static
    // destructors (std::exit) would pull Qt's globals from under it, so end without them.
    std::cout.flush();
    std::fflush(nullptr);
    std::_Exit(code);
}

void setExitHook(std::function<void(int)> hook)
{
    std::lock_guard lock(g_hookMutex);
    g_hook = std::move(hook);
}

void setBeforeExit(std::function<void()> work)
{
    std::lock_guard lock(g_hookMutex);
    g_beforeExit = std::move(work);
}

ExitRecorder::ExitRecorder()
{
    setExitHook([](int code) { throw ExitRequested{code}; });
}

ExitRecorder::~ExitRecorder()
{
    setExitHook({});
}

} // namespace platform
