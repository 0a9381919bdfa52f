// The adapter's two threads: the player thread runs the library's entry until the player ends;
// the worker thread serves the job queue whenever the state changes.
#include "player/PVEXAdap.h"
#include "player/PVEXState.h"
#include "player/PVEXstat0.h"
#include "player/PVEXstat2.h"
#include "player/PlayerPath.h"

#include <cstdio>
#include <cstring>

int PVEXAdap::startPlayerThread()
{
    std::string name1;
    std::string name2;
    lastFileNames(name1, name2);
    const std::optional<std::string> argument1 = playerpath::forPlayer(name1.c_str());
    const std::optional<std::string> argument2 = playerpath::forPlayer(name2.c_str());
    std::lock_guard lock(m_player->mutex);
    if (m_player->running)
        return 3;
    if (m_playerThread.joinable())
        m_playerThread.join(); // ended already: only its object is left
    m_player->running = true;
    // The entry's arguments are made here, before the thread starts, so that the thread never
    // reads the adapter; a name the library cannot take leaves its argument empty.
    const auto copy = [](const std::optional<std::string>& name, std::vector<char>& argument) {
        argument.assign(name ? name->begin() : std::string::const_iterator(),
            name ? name->end() : std::string::const_iterator());
        argument.push_back('\0');
    };
    copy(argument1, m_player->argument1);
    copy(argument2, m_player->argument2);
    m_playerThread = std::thread(&PVEXAdap::playerMain, m_player, entry.load());
    return 0;
}

bool PVEXAdap::onPlayerThread() const
{
    std::lock_guard lock(m_player->mutex);
    return m_playerThread.get_id() == std::this_thread::get_id();
}

bool PVEXAdap::playerThreadRunning() const
{
    std::lock_guard lock(m_player->mutex);
    return m_player->running;
}

// Runs on the player thread. It touches only the block it shares, never the adapter: a library
// stuck past the destructor's wait may return from its entry after the adapter has gone.
void PVEXAdap::playerMain(std::shared_ptr<PlayerThreadShared> shared, velq::EntryFn run)
{
    char* name1 = shared->argument1.data();
    char* name2 = shared->argument2.data();
    if ((*name1 || *name2) && run) {
        char program[] = "mplayer";
        char output[] = "-vo";
        char driver[] = "directx:noaccel";
        char sync[] = "-autosync";
        char zero[] = "0";
        char* arguments[] = {program, output, driver, sync, zero, name1, name2, nullptr};
        run(7, arguments);
    }
    {
        std::lock_guard lock(shared->mutex);
        shared->running = false;
    }
    shared->ended.notify_all();
}

bool PVEXAdap::joinPlayerThread(std::chrono::milliseconds limit, bool untilClosing)
{
    std::unique_lock lock(m_player->mutex);
    // The destructor waits for the player itself; anyone else gives way to it at once.
    if (!m_player->ended.wait_for(
            lock, limit, [&] { return !m_player->running || (untilClosing && closing); })
        || m_player->running)
        return false;
    if (m_playerThread.joinable())
        m_playerThread.join();
    return true;
}

int PVEXAdap::startWorkerThread()
{
    std::lock_guard lock(m_workerMutex);
    if (m_workerThread.joinable())
        return 0;
    // std::thread has no priority; the worker only ever waits for a switch and then acts on it
    // briefly, so an ordinary priority serves it.
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
}

// The oldest job runs when it waits for this very switch; any other stays at the head.
void PVEXAdap::serveJob(PVEXState* from, PVEXState* to)
{
    PVEXQ::Entry job;
    // The library stays loaded when the adapter goes; a job left pending is dropped with it.
    if (closing || queue.peek(&job) != 0 || job.fromState != from || job.toState != to)
        return;
    queue.pop(nullptr);
    if (job.jobCode != PVEXQ::kUnloadJob)
        return;
    std::this_thread::yield();
    PVEXState* state = currentState;
    if (state->shutdown() == 0 && !libraryLoaded() && currentState.load() != stateUnloaded.get())
        switchState(stateUnloaded.get());
}

// Without a time limit: every wait of the worker is bounded and ends at once when the adapter
// closes (the player's end, the quit answer, the library's callbacks), and a worker left
// behind would run on in a freed adapter.
void PVEXAdap::joinWorkerThread()
{
    std::thread worker;
    {
        std::lock_guard lock(m_workerMutex);
        worker = std::move(m_workerThread);
    }
    if (worker.joinable())
        worker.join();
}

bool PVEXAdap::waitForQuitting(std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    // Code 22 may follow code 16 before this thread looks: the player has then ended too.
    while (
        currentState.load() != stateQuitting.get() && currentState.load() != stateUnloaded.get()) {
        if (std::chrono::steady_clock::now() > deadline || closing)
            return false;
        std::this_thread::yield();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
