#pragma once

#include <QElapsedTimer>
#include <QWidget>

class QTimer;

namespace velq {

class Player;

// A channel's video window: paints the channel's frame buffer scaled to its size and serves
// the viewer's video-window messages.
class VideoWindow : public QWidget
{
public:
    // A screen shows about 60 pictures a second; a recording played at 4x brings 100, and
    // painting the ones no screen can show would only cost the viewer's CPU.
    static constexpr int kMinPaintPeriodMs = 16;

    VideoWindow(QWidget* parent, Player& player, int channel);

    // A new frame is in the buffer: painted now, or as soon as the last paint is a screen
    // period old.
    void frameArrived();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    Player& m_player;
    int m_channel;
    QElapsedTimer m_sincePaint;
    bool m_hasFrame = false; // the frame buffer holds a decoded picture
    QTimer* m_paintDue = nullptr;
};

} // namespace velq
