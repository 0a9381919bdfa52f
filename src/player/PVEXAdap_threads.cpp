// The adapter's two threads: the player thread runs the library's entry until the player ends;
// the worker thread serves the job queue whenever the state changes.
#include "player/PVEXAdap.h"
#include "player/PVEXState.h"
#include "player/PVEXstat0.h"
#include "player/PVEXstat2.h"

#include <cstdio>
#include <cstring>

int PVEXAdap::startPlayerThread()
{
    std::lock_guard lock(m_threadMutex);
    if (m_playerRunning)
        return 3;
    if (m_playerThread.joinable())
        m_playerThread.join(); // ended already: only its object is left
    m_playerRunning = true;
    m_playerThread = std::thread([this] { playerMain(); });
    return 0;
}

void PVEXAdap::playerMain()
{
    std::string name1;
    std::string name2;
    lastFileNames(name1, name2);
    const velq::EntryFn run = entry;
    if ((!name1.empty() || !name2.empty()) && run && name1.size() < argument1.size()
        && name2.size() < argument2.size()) {
        argument1.fill(0);
        argument2.fill(0);
        std::memcpy(argument1.data(), name1.data(), name1.size());
        std::memcpy(argument2.data(), name2.data(), name2.size());
        char program[] = "mplayer";
        char output[] = "-vo";
        char driver[] = "directx:noaccel";
        char sync[] = "-autosync";
        char zero[] = "0";
        char* arguments[]
            = {program, output, driver, sync, zero, argument1.data(), argument2.data(), nullptr};
        run(7, arguments);
    }
    {
        std::lock_guard lock(m_threadMutex);
        m_playerRunning = false;
    }
    m_threadEnded.notify_all();
}

bool PVEXAdap::joinPlayerThread(std::chrono::milliseconds limit)
{
    std::unique_lock lock(m_threadMutex);
    if (!m_threadEnded.wait_for(lock, limit, [this] { return !m_playerRunning; }))
        return false;
    if (m_playerThread.joinable())
        m_playerThread.join();
    return true;
}

int PVEXAdap::startWorkerThread()
{
    std::lock_guard lock(m_threadMutex);
    if (m_workerThread.joinable())
        return 0;
    // std::thread has no priority; the worker only ever waits for a switch and then acts on it
    // briefly, so an ordinary priority serves it.
    m_workerRunning = true;
    m_workerThread = std::thread([this] { workerMain(); });
    return 0;
}

void PVEXAdap::workerMain()
{
    for (;;) {
        wakeEvent.wait();
        if (queue.hasTerminator())
            break;
        std::deque<std::pair<PVEXState*, PVEXState*>> transitions;
        {
            std::lock_guard lock(m_switchMutex);
            transitions.swap(m_transitions);
        }
        for (const auto& [from, to] : transitions)
            serveJob(from, to);
        if (stopWorker)
            break;
    }
    {
        std::lock_guard lock(m_threadMutex);
        m_workerRunning = false;
    }
    m_threadEnded.notify_all();
}

// The oldest job runs when it waits for this very switch; any other stays at the head.
void PVEXAdap::serveJob(PVEXState* from, PVEXState* to)
{
    PVEXQ::Entry job;
    if (queue.peek(&job) != 0 || job.fromState != from || job.toState != to)
        return;
    queue.pop(nullptr);
    if (job.jobCode != PVEXQ::kUnloadJob)
        return;
    std::this_thread::yield();
    PVEXState* state = currentState;
    if (state->shutdown() == 0 && !libraryLoaded() && currentState.load() != stateUnloaded.get())
        switchState(stateUnloaded.get());
}

bool PVEXAdap::joinWorkerThread(std::chrono::milliseconds limit)
{
    std::unique_lock lock(m_threadMutex);
    if (!m_threadEnded.wait_for(lock, limit, [this] { return !m_workerRunning; })) {
        // Still inside a job: leaving its thread behind beats freeing what it uses.
        m_workerThread.detach();
        return false;
    }
    if (m_workerThread.joinable())
        m_workerThread.join();
    return true;
}

bool PVEXAdap::waitForQuitting(std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    // Code 22 may follow code 16 before this thread looks: the player has then ended too.
    while (
        currentState.load() != stateQuitting.get() && currentState.load() != stateUnloaded.get()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::yield();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
