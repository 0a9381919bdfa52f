#include "player/PVEXstat3.h"

#include "player/PVEXAdap.h"
#include "player/PVEXstat0.h"
#include "player/PVEXstat1.h"
#include "player/PVEXstat2.h"
#include "player/PlayerCommand.h"

#include <cstdio>
#include <string>

namespace {

// The library answers "quit" with code 16 within a few hundred milliseconds; a library that
// never does must not freeze the main window.
constexpr auto kQuitWait = std::chrono::milliseconds(5000);

} // namespace

int PVEXstat3::shutdown()
{
    m_adapter.sendCommand("quit");
    if (!m_adapter.waitForQuitting(kQuitWait)) {
        std::printf("PVEXstat3: the player did not answer quit; the library stays loaded\n");
        std::fflush(stdout);
        return 1;
    }
    return m_adapter.stateQuitting->shutdown();
}

int PVEXstat3::startPlayer(const char* fileName1, const char* fileName2)
{
    openFile(fileName1, fileName2);
    return 0;
}

int PVEXstat3::openFile(const char* fileName1, const char* fileName2)
{
    const std::optional<std::string> load = playercommand::loadFile(fileName1, fileName2);
    if (!load) {
        std::printf("PVEXstat3: file names too long for the player, not opened\n");
        std::fflush(stdout);
        m_adapter.openRefused(fileName1);
        return 1;
    }
    m_adapter.storeFileNames(fileName1, fileName2);
    m_adapter.openTelemetry();
    m_adapter.sendCommand(*load);
    m_adapter.storeFileNames(fileName1, fileName2);
    return 0;
}

int PVEXstat3::resume()
{
    std::string name1;
    std::string name2;
    if (!m_adapter.lastFileNames(name1, name2))
        return 1;
    openFile(name1.c_str(), name2.c_str());
    return 0;
}

int PVEXstat3::changeSpeed(float value, std::uint8_t increment)
{
    return m_adapter.statePlaying->changeSpeed(value, increment);
}

int PVEXstat3::scaleSpeed(float value, std::uint8_t multiply)
{
    return m_adapter.statePlaying->scaleSpeed(value, multiply);
}

int PVEXstat3::placeVideo(std::uint8_t window, int x, int y, int width, int height)
{
    return m_adapter.stateUnloaded->placeVideo(window, x, y, width, height);
}

int PVEXstat3::placeVideoAlt(std::uint8_t window, int x, int y, int width, int height)
{
    return m_adapter.stateUnloaded->placeVideoAlt(window, x, y, width, height);
}

int PVEXstat3::refreshVideo(int window)
{
    return m_adapter.statePlaying->refreshVideo(window);
}

int PVEXstat3::stateNumberOf()
{
    return 3;
}

void PVEXstat3::trace()
{
    traceDelay();
    traceLine("####stat3\n");
}
