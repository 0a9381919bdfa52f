#include "player/PVEXstat9.h"

#include "player/PVEXAdap.h"

// Every request goes to the state that was current when loading began. There is always one
// once the adapter has switched here; without one the base refusal stands.
int PVEXstat9::loadLibrary(const char* fileName)
{
    PVEXState* previous = previousState;
    return previous ? previous->loadLibrary(fileName) : PVEXState::loadLibrary(fileName);
}

int PVEXstat9::shutdown()
{
    PVEXState* previous = previousState;
    return previous ? previous->shutdown() : PVEXState::shutdown();
}

int PVEXstat9::startPlayer(const char* fileName1, const char* fileName2)
{
    PVEXState* previous = previousState;
    return previous ? previous->startPlayer(fileName1, fileName2)
                    : PVEXState::startPlayer(fileName1, fileName2);
}

int PVEXstat9::openFile(const char* fileName1, const char* fileName2)
{
    PVEXState* previous = previousState;
    return previous ? previous->openFile(fileName1, fileName2)
                    : PVEXState::openFile(fileName1, fileName2);
}

int PVEXstat9::resume()
{
    PVEXState* previous = previousState;
    return previous ? previous->resume() : PVEXState::resume();
}

int PVEXstat9::stopFile()
{
    PVEXState* previous = previousState;
    return previous ? previous->stopFile() : PVEXState::stopFile();
}

int PVEXstat9::pause()
{
    PVEXState* previous = previousState;
    return previous ? previous->pause() : PVEXState::pause();
}

int PVEXstat9::frameStep()
{
    PVEXState* previous = previousState;
    return previous ? previous->frameStep() : PVEXState::frameStep();
}

int PVEXstat9::seek(float seconds, std::uint8_t relative)
{
    PVEXState* previous = previousState;
    return previous ? previous->seek(seconds, relative) : PVEXState::seek(seconds, relative);
}

int PVEXstat9::changeSpeed(float value, std::uint8_t increment)
{
    PVEXState* previous = previousState;
    return previous ? previous->changeSpeed(value, increment)
                    : PVEXState::changeSpeed(value, increment);
}

int PVEXstat9::scaleSpeed(float value, std::uint8_t multiply)
{
    PVEXState* previous = previousState;
    return previous ? previous->scaleSpeed(value, multiply)
                    : PVEXState::scaleSpeed(value, multiply);
}

int PVEXstat9::setVolume(float value, std::uint8_t relative)
{
    PVEXState* previous = previousState;
    return previous ? previous->setVolume(value, relative) : PVEXState::setVolume(value, relative);
}

int PVEXstat9::placeVideo(std::uint8_t window, int x, int y, int width, int height)
{
    PVEXState* previous = previousState;
    return previous ? previous->placeVideo(window, x, y, width, height)
                    : PVEXState::placeVideo(window, x, y, width, height);
}

int PVEXstat9::placeVideoAlt(std::uint8_t window, int x, int y, int width, int height)
{
    PVEXState* previous = previousState;
    return previous ? previous->placeVideoAlt(window, x, y, width, height)
                    : PVEXState::placeVideoAlt(window, x, y, width, height);
}

int PVEXstat9::refreshVideo(int window)
{
    PVEXState* previous = previousState;
    return previous ? previous->refreshVideo(window) : PVEXState::refreshVideo(window);
}

int PVEXstat9::stateNumberOf()
{
    return 9;
}

void PVEXstat9::trace()
{
    traceDelay();
}
