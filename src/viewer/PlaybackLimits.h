#pragma once

#include <algorithm>

// How close to its end a recording may be before the transport commands stop racing the
// player's own end-of-recording report. The camera writes one-minute files, but cards hold
// longer and shorter ones too, so the limits count back from the recording's own length
// (seconds as the player reports them: the current second runs from 0 to length - 1).
// While the length is not known yet (below 1 second, right after opening) nothing is near
// the end.
namespace playback {

// Play does nothing more than resume a pause in the last three seconds.
constexpr bool playHeldNearEnd(int currentSecond, int length)
{
    return length >= 1 && currentSecond > length - 3;
}

// Previous, next and a double-clicked row are ignored in the last two seconds.
constexpr bool canChangeRecording(int currentSecond, int length)
{
    return length < 1 || currentSecond < length - 2;
}

// The latest second a drag of the seek thumb or the end of a capture seeks to: the
// recording's last second, so the seek never lands on its end.
constexpr int lastSeekSecond(int length)
{
    return std::max(0, length - 1);
}

} // namespace playback
