#include "player/PVEXstat9.h"

#include "player/PVEXAdap.h"

// Every request goes to the state that was current when loading began; with none (never the
// case once the adapter has switched here) the base refusal stands.
#define PVEX_FORWARD(call, fallback)                                                               \
    PVEXState* previous = previousState.load();                                                    \
    return previous ? previous->call : fallback

int PVEXstat9::loadLibrary(const char* fileName)
{
    PVEX_FORWARD(loadLibrary(fileName), PVEXState::loadLibrary(fileName));
}

int PVEXstat9::shutdown()
{
    PVEX_FORWARD(shutdown(), PVEXState::shutdown());
}

int PVEXstat9::startPlayer(const char* fileName1, const char* fileName2)
{
    PVEX_FORWARD(startPlayer(fileName1, fileName2), PVEXState::startPlayer(fileName1, fileName2));
}

int PVEXstat9::openFile(const char* fileName1, const char* fileName2)
{
    PVEX_FORWARD(openFile(fileName1, fileName2), PVEXState::openFile(fileName1, fileName2));
}

int PVEXstat9::resume()
{
    PVEX_FORWARD(resume(), PVEXState::resume());
}

int PVEXstat9::stopFile()
{
    PVEX_FORWARD(stopFile(), PVEXState::stopFile());
}

int PVEXstat9::pause()
{
    PVEX_FORWARD(pause(), PVEXState::pause());
}

int PVEXstat9::frameStep()
{
    PVEX_FORWARD(frameStep(), PVEXState::frameStep());
}

int PVEXstat9::seek(float seconds, std::uint8_t relative)
{
    PVEX_FORWARD(seek(seconds, relative), PVEXState::seek(seconds, relative));
}

int PVEXstat9::changeSpeed(float value, std::uint8_t increment)
{
    PVEX_FORWARD(changeSpeed(value, increment), PVEXState::changeSpeed(value, increment));
}

int PVEXstat9::scaleSpeed(float value, std::uint8_t multiply)
{
    PVEX_FORWARD(scaleSpeed(value, multiply), PVEXState::scaleSpeed(value, multiply));
}

int PVEXstat9::setVolume(float value, std::uint8_t relative)
{
    PVEX_FORWARD(setVolume(value, relative), PVEXState::setVolume(value, relative));
}

int PVEXstat9::placeVideo(std::uint8_t window, int x, int y, int width, int height)
{
    PVEX_FORWARD(placeVideo(window, x, y, width, height),
        PVEXState::placeVideo(window, x, y, width, height));
}

int PVEXstat9::placeVideoAlt(std::uint8_t window, int x, int y, int width, int height)
{
    PVEX_FORWARD(placeVideoAlt(window, x, y, width, height),
        PVEXState::placeVideoAlt(window, x, y, width, height));
}

int PVEXstat9::refreshVideo(int window)
{
    PVEX_FORWARD(refreshVideo(window), PVEXState::refreshVideo(window));
}

int PVEXstat9::stateNumberOf()
{
    return 9;
}

void PVEXstat9::trace()
{
    traceDelay();
}
