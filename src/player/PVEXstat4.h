#pragma once

#include "player/PVEXState.h"

// The ready state: the library is loaded and ready; no recording has been started.
class PVEXstat4 : public PVEXState
{
public:
    using PVEXState::PVEXState;

    int shutdown() override;
    int startPlayer(const char* fileName1, const char* fileName2) override;
    int openFile(const char* fileName1, const char* fileName2) override;
    int resume() override;
    int placeVideo(std::uint8_t window, int x, int y, int width, int height) override;
    int placeVideoAlt(std::uint8_t window, int x, int y, int width, int height) override;
    int stateNumberOf() override;
    void trace() override;
};
