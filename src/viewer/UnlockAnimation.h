#pragma once

#include <QImage>
#include <QObject>

#include <chrono>

class QTimer;

// The lock's opening: two rounds of the nine pictures 131 to 139, each held for 100 ms (1.8 s
// in all). Driven by a timer, so the window keeps painting while it runs.
class UnlockAnimation : public QObject
{
    Q_OBJECT

public:
    static constexpr int kFirstBitmap = 131;
    static constexpr int kPictures = 9;
    static constexpr int kRounds = 2;
    static constexpr std::chrono::milliseconds kHold{100};

    explicit UnlockAnimation(QObject* parent = nullptr);

    void start();
    bool isRunning() const { return m_next > 0; }

signals:
    // Each picture, to be shown at once.
    void picture(const QImage& image);
    // After the last picture has been held.
    void finished();

private:
    void step();

    QTimer* m_timer = nullptr;
    int m_next = 0; // pictures shown so far in this run; 0 when not running
};
