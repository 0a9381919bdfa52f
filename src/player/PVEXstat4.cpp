#include "player/PVEXstat4.h"

#include "player/PVEXAdap.h"
#include "player/PVEXstat0.h"
#include "player/PlayerCommand.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

int PVEXstat4::shutdown()
{
    return m_adapter.unloadPlayerLibrary();
}

int PVEXstat4::startPlayer(const char* fileName1, const char* fileName2)
{
    if (!m_adapter.libraryLoaded())
        return 3;
    const char* name1 = fileName1 ? fileName1 : "";
    const char* name2 = fileName2 ? fileName2 : "";
    const std::optional<std::string> load = playercommand::loadFile(name1, name2);
    // A cut name would open another file, or none: refuse the whole request instead.
    if (!load) {
        std::printf("PVEXstat4: file names too long for the player, not opened\n");
        std::fflush(stdout);
        m_adapter.openRefused(name1);
        return 3;
    }
    // Stored before the library can answer: its failure report is matched against them.
    m_adapter.storeFileNames(name1, name2);
    m_adapter.sendCommand(*load);
    m_adapter.openTelemetry();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (m_adapter.playerThreadRunning())
        return 2;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (m_adapter.startPlayerThread() != 0)
        return 3;
    if (m_adapter.startWorkerThread() != 0)
        return 1;
    return 0;
}

int PVEXstat4::openFile(const char* fileName1, const char* fileName2)
{
    return startPlayer(fileName1, fileName2);
}

int PVEXstat4::resume()
{
    return 1;
}

int PVEXstat4::placeVideo(std::uint8_t window, int x, int y, int width, int height)
{
    return m_adapter.stateUnloaded->placeVideo(window, x, y, width, height);
}

int PVEXstat4::placeVideoAlt(std::uint8_t window, int x, int y, int width, int height)
{
    return m_adapter.stateUnloaded->placeVideoAlt(window, x, y, width, height);
}

int PVEXstat4::stateNumberOf()
{
    return 4;
}

void PVEXstat4::trace()
{
    traceDelay();
    traceLine("####stat4\n");
}
