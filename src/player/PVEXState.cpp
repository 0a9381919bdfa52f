#include "player/PVEXState.h"

#include <chrono>
#include <cstdio>
#include <thread>

PVEXState::PVEXState(PVEXAdap& adapter)
    : m_adapter(adapter)
{ }

PVEXState::~PVEXState() = default;

int PVEXState::loadLibrary(const char*)
{
    return -1;
}

int PVEXState::shutdown()
{
    return -1;
}

int PVEXState::startPlayer(const char*, const char*)
{
    return -1;
}

int PVEXState::openFile(const char*, const char*)
{
    return -1;
}

int PVEXState::resume()
{
    return -1;
}

int PVEXState::stopFile()
{
    return -1;
}

int PVEXState::pause()
{
    return -1;
}

int PVEXState::frameStep()
{
    return -1;
}

int PVEXState::seek(float, std::uint8_t)
{
    return -1;
}

int PVEXState::changeSpeed(float, std::uint8_t)
{
    return -1;
}

int PVEXState::scaleSpeed(float, std::uint8_t)
{
    return -1;
}

int PVEXState::setVolume(float, std::uint8_t)
{
    return -1;
}

int PVEXState::placeVideo(std::uint8_t, int, int, int, int)
{
    return -1;
}

int PVEXState::placeVideoAlt(std::uint8_t, int, int, int, int)
{
    return -1;
}

int PVEXState::refreshVideo(int)
{
    traceLine("####method undefined\n");
    return -1;
}

int PVEXState::stateNumberOf()
{
    return -1;
}

void PVEXState::traceDelay()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

void PVEXState::traceLine(const char* text)
{
    std::fputs(text, stdout);
    std::fflush(stdout);
}
