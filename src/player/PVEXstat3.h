#pragma once

#include "player/PVEXState.h"

// The idle state: the player runs but the last recording has ended.
class PVEXstat3 : public PVEXState
{
public:
    using PVEXState::PVEXState;

    int shutdown() override;
    int startPlayer(const char* fileName1, const char* fileName2) override;
    int openFile(const char* fileName1, const char* fileName2) override;
    int resume() override;
    int changeSpeed(float value, std::uint8_t increment) override;
    int scaleSpeed(float value, std::uint8_t multiply) override;
    int placeVideo(std::uint8_t window, int x, int y, int width, int height) override;
    int placeVideoAlt(std::uint8_t window, int x, int y, int width, int height) override;
    int refreshVideo(int window) override;
    int stateNumberOf() override;
    void trace() override;
};
