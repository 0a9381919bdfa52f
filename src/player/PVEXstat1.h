#pragma once

#include "player/PVEXState.h"

// The playing state: a recording is open in the player.
class PVEXstat1 : public PVEXState
{
public:
    using PVEXState::PVEXState;

    int shutdown() override;
    int openFile(const char* fileName1, const char* fileName2) override;
    int resume() override;
    int stopFile() override;
    int pause() override;
    int frameStep() override;
    int seek(float seconds, std::uint8_t relative) override;
    int changeSpeed(float value, std::uint8_t increment) override;
    int scaleSpeed(float value, std::uint8_t multiply) override;
    int setVolume(float value, std::uint8_t relative) override;
    int placeVideo(std::uint8_t window, int x, int y, int width, int height) override;
    int placeVideoAlt(std::uint8_t window, int x, int y, int width, int height) override;
    int refreshVideo(int window) override;
    int stateNumberOf() override;
    void trace() override;
};
