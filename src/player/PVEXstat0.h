#pragma once

#include "player/PVEXState.h"

// The unloaded state: the library is not loaded, or has not yet said it is ready.
class PVEXstat0 : public PVEXState
{
public:
    using PVEXState::PVEXState;

    int loadLibrary(const char* fileName) override;
    int shutdown() override;
    int startPlayer(const char* fileName1, const char* fileName2) override;
    int openFile(const char* fileName1, const char* fileName2) override;
    int placeVideo(std::uint8_t window, int x, int y, int width, int height) override;
    int placeVideoAlt(std::uint8_t window, int x, int y, int width, int height) override;
    int stateNumberOf() override;
    void trace() override;
};
