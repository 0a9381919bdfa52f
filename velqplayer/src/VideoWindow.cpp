#include "VideoWindow.h"

#include "Player.h"
#include "platform/AppMessage.h"
#include "platform/StartupTrace.h"
#include "velqplayer/Protocol.h"

#include <QImage>
#include <QPainter>
#include <QTimer>

namespace velq {

namespace {

// A capture waits for the stepped frame; a file at its end never delivers one.
constexpr auto kFrameStepLimit = std::chrono::milliseconds(1000);

} // namespace

VideoWindow::VideoWindow(QWidget* parent, Player& player, int channel)
    : QWidget(parent)
    , m_player(player)
    , m_channel(channel)
{
    setObjectName(QStringLiteral("velqplayer-video-%1").arg(channel));
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_paintDue = new QTimer(this);
    m_paintDue->setSingleShot(true);
    connect(m_paintDue, &QTimer::timeout, this, qOverload<>(&QWidget::update));
}

void VideoWindow::frameArrived()
{
    m_hasFrame = true;
    if (m_paintDue->isActive())
        return; // the paint on its way shows the newest frame
    const qint64 since = m_sincePaint.isValid() ? m_sincePaint.elapsed() : kMinPaintPeriodMs;
    if (since >= kMinPaintPeriodMs)
        update();
    else
        m_paintDue->start(int(kMinPaintPeriodMs - since));
}

bool VideoWindow::event(QEvent* event)
{
    if (event->type() != platform::AppMessage::eventType())
        return QWidget::event(event);
    auto* message = static_cast<platform::AppMessage*>(event);
    switch (message->message()) {
    case platform::UM_GET_TIME_LENGTH:
        m_player.reportLength();
        break;
    case platform::UM_FRAME_STEP:
        message->setResult(m_player.frameStep(kFrameStepLimit) ? 1 : 0);
        repaint();
        return true;
    case kWindowMoved:
    case platform::UM_MAIN_MOVED:
    case platform::UM_REFRESH_VIDEO:
    case platform::UM_REFRESH_VIDEO_2:
        update();
        break;
    default:
        return QWidget::event(event);
    }
    message->setResult(1);
    return true;
}

void VideoWindow::paintEvent(QPaintEvent*)
{
    m_sincePaint.restart();
    QPainter painter(this);
    const Channel& channel = m_player.channel(m_channel);
    std::lock_guard lock(channel.frameMutex());
    const QImage frame(
        channel.frame(), kFrameWidth, kFrameHeight, kFrameWidth * 4, QImage::Format_RGB32);
    painter.drawImage(rect(), frame);
    if (m_hasFrame) {
        static bool painted = false;
        platform::traceStartupOnce("first video frame painted", painted);
    }
}

} // namespace velq
