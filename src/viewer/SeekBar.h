#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QString>

class BackBuffer;

// The seek bar under the video: a 342-pixel progress fill with a thumb, the elapsed and total
// time beside it, and the thin seek strip inside the video area. It maps between seconds and
// pixels; the window gives the player the seconds it answers.
class SeekBar
{
public:
    static constexpr int kLength = 342;
    static constexpr QRect kBarRect{QPoint(33, 554), QPoint(444, 578)};
    static constexpr QRect kTimeRect{QPoint(425, 548), QPoint(579, 573)};
    static constexpr QRect kStripRect{QPoint(35, 486), QPoint(414, 492)};
    // The groove the fill and the thumb run in, end to end.
    static constexpr QRect kTrack{QPoint(33, 559), QPoint(416, 566)};

    int progress() const { return m_progress; }
    // Kept within the bar, 0 to 342.
    void setProgress(int progress);

    // The bar's pixel for a second of a recording: 0 while the length is below 1 second
    // (not known yet right after opening), never past the end.
    static int progressAt(int second, int length);
    // A progress report of the player: the bar follows the displayed position (current
    // second + 1) while it is within the length and stays put past it.
    void follow(int displayedPosition, int length);

    // The second the bar's pixel stands for (a click on the seek strip seeks there).
    int seekTarget(int length) const { return length * m_progress / kLength; }
    // The same, but never beyond the recording's last second (release of the thumb).
    int dragSeekTarget(int length) const;

    // Pixel of a click on the seek strip, and of the dragged thumb, from the mouse's x.
    static int stripProgress(int x);
    static int dragProgress(int x);

    bool thumbHit(QPoint point) const;
    static bool stripHit(QPoint point) { return kStripRect.contains(point); }

    // Redraws bar and time text over the clean background and marks both rectangles: the
    // texts only while playing with a known length.
    void draw(BackBuffer& buffer, int displayedPosition, int length, bool playing) const
    {
        drawFill(buffer);
        drawThumbAndTime(buffer, displayedPosition, length, playing);
    }
    // The two halves of draw(), for what is drawn on the bar between them (event ticks): the
    // bar and time text restored and the fill drawn; then the thumb and the texts, with both
    // rectangles marked.
    void drawFill(BackBuffer& buffer) const;
    void drawThumbAndTime(
        BackBuffer& buffer, int displayedPosition, int length, bool playing) const;

    // The column of the thumb's middle while it shows the displayed position (second + 1).
    static int thumbCentre(int displayedPosition, int length);

    // The clip's span on the track, seconds `from` up to `to` of a recording of `length` seconds,
    // where the thumb stands while they play: a mark's edge under the thumb that set it. A span
    // going on before the recording's start or past its end reaches the track's end on that
    // side. Translucent, drawn between the fill and the event ticks, so the fill shows through
    // it and the ticks and the thumb stand over it.
    static QRect bandRect(
        int from, int to, int length, bool fromEarlier = false, bool toLater = false);
    static void drawBand(BackBuffer& buffer, const QRect& band);
    static const QColor kBandColour;

    // "00:MM:SS" of the displayed position and " / 00:MM:SS" of the length.
    static QString elapsedText(int seconds);
    static QString totalText(int seconds);

private:
    int m_progress = 0;
};
