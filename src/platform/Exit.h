#pragma once

#include <functional>

namespace platform {

// Ends the program at once with the given code: standard output is flushed, nothing else (no
// static destructors, no window teardown) runs. Tests install a hook that records the request
// instead, so a path that must end the program can be tested without ending the test run.
[[noreturn]] void exitProgram(int code);
void setExitHook(std::function<void(int)> hook);

// Work that must not be lost when the program ends at once (the viewer's configuration): it
// runs first, on the thread that asked for the end, before the test hook and before the end
// itself. An empty function removes it.
void setBeforeExit(std::function<void()> work);

// Test helper: while it lives, exitProgram() records the code and throws ExitRequested,
// which the test catches.
struct ExitRequested
{
    int code;
};
class ExitRecorder
{
public:
    ExitRecorder();
    ~ExitRecorder();
};

} // namespace platform
