#pragma once

#include <functional>

namespace platform {

// Ends the program at once with the given code: standard output is flushed, nothing else (no
// static destructors, no window teardown) runs. Tests install a hook that records the request
// instead, so a path that must end the program can be tested without ending the test run.
[[noreturn]] void exitProgram(int code);
void setExitHook(std::function<void(int)> hook);

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
