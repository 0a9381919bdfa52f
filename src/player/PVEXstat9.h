#pragma once

#include "player/PVEXState.h"

// The loading state, between the main window's open request and the library's answer: every
// request goes to the state before it.
class PVEXstat9 : public PVEXState
{
public:
    using PVEXState::PVEXState;

    int loadLibrary(const char* fileName) override;
    int shutdown() override;
    int startPlayer(const char* fileName1, const char* fileName2) override;
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
