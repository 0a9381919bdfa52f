#pragma once

#include <atomic>
#include <cstdint>

class PVEXAdap;

// A player state: the main window sends every player request as one of these operations of
// the adapter's current state, and the state decides what the request means now. −1 is the
// refusal of an operation that has no meaning in the state.
class PVEXState
{
public:
    explicit PVEXState(PVEXAdap& adapter);
    virtual ~PVEXState();
    PVEXState(const PVEXState&) = delete;
    PVEXState& operator=(const PVEXState&) = delete;

    virtual int loadLibrary(const char* fileName);
    virtual int shutdown();
    virtual int startPlayer(const char* fileName1, const char* fileName2);
    virtual int openFile(const char* fileName1, const char* fileName2);
    virtual int resume();
    virtual int stopFile();
    virtual int pause();
    virtual int frameStep();
    virtual int seek(float seconds, std::uint8_t relative);
    virtual int changeSpeed(float value, std::uint8_t increment);
    virtual int scaleSpeed(float value, std::uint8_t multiply);
    virtual int setVolume(float value, std::uint8_t relative);
    virtual int placeVideo(std::uint8_t window, int x, int y, int width, int height);
    virtual int placeVideoAlt(std::uint8_t window, int x, int y, int width, int height);
    virtual int refreshVideo(int window);
    virtual int stateNumberOf();
    virtual void trace() = 0;

    // Set by the adapter's switch when this state is entered; read by the worker thread.
    std::atomic<PVEXState*> previousState{nullptr};

protected:
    // The pause every trace makes before its line.
    static void traceDelay();
    static void traceLine(const char* text);

    PVEXAdap& m_adapter;
};
