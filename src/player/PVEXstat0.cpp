#include "player/PVEXstat0.h"

#include "player/PVEXAdap.h"
#include "player/PVEXstat4.h"

int PVEXstat0::loadLibrary(const char* fileName)
{
    return m_adapter.loadPlayerLibrary(fileName);
}

int PVEXstat0::shutdown()
{
    return m_adapter.unloadPlayerLibrary();
}

int PVEXstat0::startPlayer(const char* fileName1, const char* fileName2)
{
    return m_adapter.stateReady->startPlayer(fileName1, fileName2);
}

int PVEXstat0::openFile(const char* fileName1, const char* fileName2)
{
    startPlayer(fileName1, fileName2);
    return 0;
}

int PVEXstat0::placeVideo(std::uint8_t window, int x, int y, int width, int height)
{
    m_adapter.storePlacement(false, window, x, y, width, height);
    return 0;
}

int PVEXstat0::placeVideoAlt(std::uint8_t window, int x, int y, int width, int height)
{
    m_adapter.storePlacement(true, window, x, y, width, height);
    return 0;
}

int PVEXstat0::stateNumberOf()
{
    return 0;
}

void PVEXstat0::trace()
{
    traceDelay();
    traceLine("####stat0\n");
}
