#pragma once

#include <QWidget>

namespace velq {

class Player;

// A channel's video window: paints the channel's frame buffer scaled to its size and serves
// the viewer's video-window messages.
class VideoWindow : public QWidget
{
public:
    VideoWindow(QWidget* parent, Player& player, int channel);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    Player& m_player;
    int m_channel;
};

} // namespace velq
