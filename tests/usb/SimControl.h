#pragma once

#include "SimulatedRecorder.h"

#include <QLibrary>

#include <string>

// The test's handle on the simulated recorder library, loaded from the same file the
// transport loads, so both reach the same instance.
struct SimControl
{
    SimControl()
    {
        library.setFileName(QStringLiteral(ZYN_USB_SIM_PATH));
        if (!library.load())
            return;
        reset = reinterpret_cast<SimResetFn>(library.resolve("zynsim_reset"));
        setReply = reinterpret_cast<SimSetReplyFn>(library.resolve("zynsim_set_reply"));
        log = reinterpret_cast<SimLogFn>(library.resolve("zynsim_log"));
        initCount = reinterpret_cast<SimCountFn>(library.resolve("zynsim_init_count"));
        received = reinterpret_cast<SimReceivedFn>(library.resolve("zynsim_received"));
        hold = reinterpret_cast<SimHoldFn>(library.resolve("zynsim_hold"));
        waiting = reinterpret_cast<SimWaitingFn>(library.resolve("zynsim_waiting"));
    }
    bool ready() const
    {
        return reset && setReply && log && initCount && received && hold && waiting;
    }

    QLibrary library;
    SimResetFn reset = nullptr;
    SimSetReplyFn setReply = nullptr;
    SimLogFn log = nullptr;
    SimCountFn initCount = nullptr;
    SimReceivedFn received = nullptr;
    SimHoldFn hold = nullptr;
    SimWaitingFn waiting = nullptr;
};
