#include "player/PVEXAdap.h"

#include "platform/AppMessage.h"
#include "player/PVEXstat0.h"
#include "player/PVEXstat1.h"
#include "player/PVEXstat2.h"
#include "player/PVEXstat3.h"
#include "player/PVEXstat4.h"
#include "player/PVEXstat9.h"
#include "player/PlayerPath.h"
#include "recording/TelemetryBlock.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMetaObject>
#include <QScreen>
#include <QThread>
#include <QWidget>

#include <cstdio>

namespace {

bool onGuiThread()
{
    return QCoreApplication::instance()
        && QThread::currentThread() == QCoreApplication::instance()->thread();
}

// A recording of the other view mode ends the program after a message box, whose event loop
// runs the main window's handlers: they read the copies, so the lock must not be held then.
// The check comes before anything of the copy is touched.
recording::ViewModeMismatchHandler endWithoutHolding(std::unique_lock<std::mutex>& lock)
{
    return [&lock](int scrambledView) {
        lock.unlock();
        recording::endProgramOnViewModeMismatch(scrambledView);
    };
}

} // namespace

PVEXAdap::PVEXAdap(QWidget* ownerWindow)
    : stateUnloaded(std::make_unique<PVEXstat0>(*this))
    , statePlaying(std::make_unique<PVEXstat1>(*this))
    , stateQuitting(std::make_unique<PVEXstat2>(*this))
    , stateIdle(std::make_unique<PVEXstat3>(*this))
    , stateReady(std::make_unique<PVEXstat4>(*this))
    , stateLoading(std::make_unique<PVEXstat9>(*this))
    , ownerWindow(ownerWindow)
{
    reset();
    currentState = stateUnloaded.get();
}

PVEXAdap::~PVEXAdap()
{
    closing = true;
    {
        // A worker waiting for the player gives way at once (see joinPlayerThread).
        std::lock_guard lock(m_player->mutex);
    }
    m_player->ended.notify_all();
    // Ask a running player to end and wait for it, rather than cut its thread off inside the
    // library: the library's own threads call back into this object until it has ended.
    if (playerThreadRunning()) {
        if (std::int32_t* flag = libraryQuitFlag.load())
            std::atomic_ref<std::int32_t>(*flag).store(1);
        sendCommand("quit");
    }
    if (!joinPlayerThread(threadJoinLimit, false)) {
        // Left behind, it touches only the block it shares (playerMain), and the library,
        // whose callback is taken back below, never reaches this object again.
        std::printf("PVEXAdap: the player thread did not end in time\n");
        std::lock_guard lock(m_player->mutex);
        if (m_playerThread.joinable())
            m_playerThread.detach();
    }
    // The library returns from this only once no call of the callback runs any more.
    if (m_libraryLoaded)
        if (const velq::SetCallbackFn set = setCallback.load())
            set(nullptr);
    stopWorker = true;
    wakeEvent.set();
    joinWorkerThread();
    std::fflush(stdout);
}

void PVEXAdap::reset()
{
    length = 0;
    lengthSeconds = 0;
    entry = nullptr;
    setInstance = nullptr;
    setCallback = nullptr;
    command = nullptr;
    {
        std::lock_guard lock(m_namesMutex);
        m_fileName1.clear();
        m_fileName2.clear();
        m_hasFileNames = false;
    }
    recordIndex = 0;
    recordTotal = -1;
    measureDisplays();
    volume = 100;
    channelCount = 2;
    {
        std::lock_guard lock(m_telemetryMutex);
        telemetry.setData(nullptr, 0);
        blockCopy.clear();
        blockCopy.shrink_to_fit();
    }
    placeFlag1 = 0;
    placeFlag2 = 0;
    // They pointed into the copy just released.
    currentGps = nullptr;
    currentSensor = nullptr;
    currentTime = nullptr;
}

void PVEXAdap::measureDisplays()
{
    // Screens belong to the GUI thread; a reset on the worker thread keeps the last figures.
    if (!onGuiThread() || !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    std::int32_t width = 0;
    std::int32_t height = 0;
    for (const QScreen* screen : QGuiApplication::screens()) {
        width += screen->geometry().width();
        height = screen->geometry().height();
    }
    desktopWidth = width;
    desktopHeight = height;
}

void PVEXAdap::switchState(PVEXState* state)
{
    {
        std::lock_guard lock(m_switchMutex);
        PVEXState* left = currentState;
        if (state == left)
            return;
        previousState = left;
        currentState = state;
        state->previousState = left;
        if (m_transitions.size() == 16)
            m_transitions.pop_front();
        m_transitions.emplace_back(left, state);
    }
    wakeEvent.set();
}

int PVEXAdap::notifyMoved()
{
    QWidget* window = videoWindow1;
    if (!window)
        return 1;
    platform::sendMessage(window, velq::kWindowMoved);
    platform::sendMessage(window, platform::UM_MAIN_MOVED);
    return 0;
}

int PVEXAdap::loadPlayerLibrary(const char* fileName)
{
    std::lock_guard lock(m_libraryMutex);
    if (m_libraryLoaded)
        return 1;
    if (!fileName || !*fileName)
        return 2;
    if (!m_library.load(QString::fromLocal8Bit(fileName))) {
        std::printf("PVEXAdap: %s\n", qPrintable(m_library.errorString()));
        std::fflush(stdout);
        return 4;
    }
    m_libraryLoaded = true;
    const auto entryFn = m_library.resolveAs<velq::EntryFn>(velq::kEntryName);
    const auto instanceFn = m_library.resolveAs<velq::SetInstanceFn>(
        velq::kSetInstanceName, velq::kSetInstanceDecorated);
    const auto callbackFn = m_library.resolveAs<velq::SetCallbackFn>(
        velq::kSetCallbackName, velq::kSetCallbackDecorated);
    const auto commandFn = m_library.resolveAs<velq::CommandFn>(velq::kCommandName);
    if (!entryFn || !instanceFn || !callbackFn || !commandFn)
        return 3;
    entry = entryFn;
    setInstance = instanceFn;
    setCallback = callbackFn;
    command = commandFn;
    instanceFn(this);
    callbackFn(&PVEXAdap::callback);
    return 0;
}

int PVEXAdap::unloadPlayerLibrary()
{
    std::lock_guard lock(m_libraryMutex);
    if (!m_libraryLoaded)
        return 1;
    // The library's code must not go while its entry still runs on the player thread.
    if (!onPlayerThread() && !joinPlayerThread(threadJoinLimit, true)) {
        if (!closing) {
            std::printf("PVEXAdap: the player still runs; the library stays loaded\n");
            std::fflush(stdout);
        }
        return 1;
    }
    if (const velq::SetCallbackFn set = setCallback.load())
        set(nullptr);
    m_library.unload();
    if (m_library.isLoaded())
        return 1;
    m_libraryLoaded = false;
    videoWindow1 = nullptr;
    videoWindow2 = nullptr;
    libraryQuitFlag = nullptr;
    reset();
    return 0;
}

int PVEXAdap::sendCommand(const std::string& text)
{
    const velq::CommandFn send = command;
    if (!send)
        return 1;
    if (text.size() > velq::kCommandMax) {
        std::printf(
            "PVEXAdap: command of %zu characters refused: %.60s...\n", text.size(), text.c_str());
        std::fflush(stdout);
        return 2;
    }
    send(text.c_str());
    return 0;
}

void PVEXAdap::storeFileNames(const char* name1, const char* name2)
{
    std::string playerName1 = playerpath::forPlayer(name1).value_or(std::string());
    std::lock_guard lock(m_namesMutex);
    m_fileName1 = name1 ? name1 : "";
    m_fileName2 = name2 ? name2 : "";
    m_playerName1 = std::move(playerName1);
    m_hasFileNames = true;
}

std::string PVEXAdap::failedFileName() const
{
    std::lock_guard lock(m_namesMutex);
    return m_failedFileName;
}

void PVEXAdap::openRefused(const char* name1)
{
    {
        std::lock_guard lock(m_namesMutex);
        m_failedFileName = name1 ? name1 : "";
    }
    // Nothing reached the player: what played before, if anything, plays on.
    if (currentState.load() == stateLoading.get())
        if (PVEXState* previous = stateLoading->previousState.load())
            switchState(previous);
    tellOpenFailed();
}

// Called for code 20 of a recording that never played, with its name as the library had it.
void PVEXAdap::openFailed(const char* playerName)
{
    {
        std::lock_guard lock(m_namesMutex);
        // A failure of a recording the window has since replaced by another one is old news;
        // the newer one's answer is still to come.
        if (!playerName || playerName != m_playerName1) {
            std::printf("PVEXAdap: an earlier recording could not be opened: %s\n",
                playerName ? playerName : "");
            std::fflush(stdout);
            return;
        }
        m_failedFileName = m_fileName1;
    }
    PVEXState* state = currentState;
    if (state == stateLoading.get() || state == statePlaying.get())
        switchState(stateIdle.get());
    tellOpenFailed();
}

void PVEXAdap::tellOpenFailed()
{
    QWidget* owner = ownerWindow;
    if (!owner)
        return;
    // From the owner's own thread (a refusal inside its open request) the message would be
    // handled inside that request, and a window that opens the next recording there would
    // recurse through its whole list: it goes round the event loop instead.
    if (owner->thread() == QThread::currentThread())
        QMetaObject::invokeMethod(
            owner, [owner] { platform::notifyMessage(owner, platform::UM_OPEN_FAILED); },
            Qt::QueuedConnection);
    else
        platform::notifyMessage(owner, platform::UM_OPEN_FAILED);
}

bool PVEXAdap::lastFileNames(std::string& name1, std::string& name2) const
{
    std::lock_guard lock(m_namesMutex);
    name1 = m_fileName1;
    name2 = m_fileName2;
    return m_hasFileNames;
}

int PVEXAdap::readTelemetryBlock()
{
    std::string name1;
    std::string name2;
    lastFileNames(name1, name2);
    std::unique_lock lock(m_telemetryMutex);
    telemetry.setData(nullptr, 0);
    return recording::readTelemetryBlock(QByteArray::fromStdString(name1), scrambledView,
        scrambleKey, blockCopy, endWithoutHolding(lock));
}

int PVEXAdap::loadTelemetry()
{
    std::string name1;
    std::string name2;
    lastFileNames(name1, name2);
    std::unique_lock lock(m_telemetryMutex);
    // The reporting thread reads through the reader; it must never see a copy being replaced.
    telemetry.setData(nullptr, 0);
    return recording::loadTelemetry(QByteArray::fromStdString(name1), scrambledView, scrambleKey,
        blockCopy, telemetry, noTelemetry, endWithoutHolding(lock));
}

void PVEXAdap::openTelemetry()
{
    // Until the new recording's first report there is no current record; the old addresses
    // would point into the copy the read below replaces.
    currentGps = nullptr;
    currentSensor = nullptr;
    currentTime = nullptr;
    {
        // The copies are the recording before's: a recording without telemetry of its own
        // would otherwise be printed with its date, position and speed.
        std::lock_guard lock(m_telemetryMutex);
        m_hasCopies = false;
        m_gpsCopy.fill(0);
        m_sensorCopy.fill(0);
    }
    std::string name1;
    std::string name2;
    lastFileNames(name1, name2);
    if (recording::isTelemetryExempt(QByteArray::fromStdString(name1))) {
        noTelemetry = 1;
        telemetry.failed = 1;
        return;
    }
    loadTelemetry();
}

bool PVEXAdap::telemetryCopies(
    std::array<char, 128>& gps, std::array<std::uint8_t, 12>& sensor) const
{
    std::lock_guard lock(m_telemetryMutex);
    if (!m_hasCopies)
        return false;
    gps = m_gpsCopy;
    sensor = m_sensorCopy;
    return true;
}

void PVEXAdap::storePlacement(
    bool alternative, std::uint8_t window, int x, int y, int width, int height)
{
    std::array<std::uint16_t, 8>& placement = alternative ? placementB : placementA;
    const int base = window == 0 ? 0 : 4;
    const int values[4] = {x, y, width, height};
    for (int i = 0; i < 4; ++i)
        std::atomic_ref<std::uint16_t>(placement[base + i])
            .store(static_cast<std::uint16_t>(values[i]));
}
