#include "viewer/UnlockAnimation.h"

#include "resources/Skin.h"

#include <QTimer>

UnlockAnimation::UnlockAnimation(QObject* parent)
    : QObject(parent)
    , m_timer(new QTimer(this))
{
    m_timer->setInterval(kHold);
    connect(m_timer, &QTimer::timeout, this, &UnlockAnimation::step);
}

void UnlockAnimation::start()
{
    if (isRunning())
        return;
    m_timer->start();
    step();
}

void UnlockAnimation::step()
{
    if (m_next == kPictures * kRounds) {
        m_timer->stop();
        m_next = 0;
        emit finished();
        return;
    }
    emit picture(skin::bitmap(kFirstBitmap + m_next % kPictures));
    ++m_next;
}
