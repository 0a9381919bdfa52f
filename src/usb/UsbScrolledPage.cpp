#include "usb/UsbScrolledPage.h"

#include <QApplication>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>
#include <QWheelEvent>

UsbScrolledPage::UsbScrolledPage(DeviceConfig& config, QWidget* parent)
    : UsbTabPage(config, parent)
    , m_viewport(new QWidget(this))
    , m_content(new QWidget(m_viewport))
    , m_column(new QVBoxLayout(m_content))
    , m_bar(new QScrollBar(Qt::Vertical, this))
{
    m_column->setContentsMargins(4, 4, 4, 8);
    m_column->setSpacing(6);
    m_bar->installEventFilter(this);
    // The bar's own arithmetic is replaced by the page's: every action lands in onBarAction,
    // which sets the position the bar then takes.
    connect(m_bar, &QScrollBar::actionTriggered, this, &UsbScrolledPage::onBarAction);
    connect(qApp, &QApplication::focusChanged, this, &UsbScrolledPage::onFocusChanged);
}

void UsbScrolledPage::finishContent()
{
    m_scroll.full = m_column->sizeHint().height();
}

void UsbScrolledPage::resizeEvent(QResizeEvent* event)
{
    const int barWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_bar);
    const QSize size = event->size();
    m_bar->setGeometry(size.width() - barWidth, 0, barWidth, size.height());
    m_viewport->setGeometry(0, 0, size.width() - barWidth, size.height());
    m_content->setGeometry(0, 0, m_viewport->width(), std::max(m_scroll.full, size.height()));

    // A new size starts at the top again, contents and bar alike.
    m_scroll.visible = size.height();
    m_scroll.position = 0;
    m_bar->setRange(0, m_scroll.range());
    m_bar->setPageStep(m_scroll.visible);
    m_bar->setValue(0);
    // Kept in place but disabled when everything fits, so the page's width never jumps.
    m_bar->setEnabled(m_scroll.range() > 0);
    UsbTabPage::resizeEvent(event);
}

void UsbScrolledPage::onBarAction(int action)
{
    int move = 0;
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        move = m_scroll.moveBy(-m_scroll.lineStep());
        break;
    case QAbstractSlider::SliderSingleStepAdd:
        move = m_scroll.moveBy(m_scroll.lineStep());
        break;
    case QAbstractSlider::SliderPageStepSub:
        move = m_scroll.moveBy(-m_scroll.pageStep());
        break;
    case QAbstractSlider::SliderPageStepAdd:
        move = m_scroll.moveBy(m_scroll.pageStep());
        break;
    case QAbstractSlider::SliderToMinimum:
        move = m_scroll.moveTo(0);
        break;
    case QAbstractSlider::SliderToMaximum:
        move = m_scroll.moveTo(m_scroll.range());
        break;
    case QAbstractSlider::SliderMove: // the thumb, dragged or set
        move = m_scroll.moveTo(m_bar->sliderPosition());
        break;
    default:
        break;
    }
    scrollBy(move);
    // The bar has already taken its own idea of the new position; it gets the page's.
    m_bar->setSliderPosition(m_scroll.position);
}

void UsbScrolledPage::wheelEvent(QWheelEvent* event)
{
    onWheel(event);
}

bool UsbScrolledPage::eventFilter(QObject* watched, QEvent* event)
{
    // The wheel over the bar scrolls as it does over the page, not by the bar's own steps.
    if (watched == m_bar && event->type() == QEvent::Wheel) {
        onWheel(static_cast<QWheelEvent*>(event));
        return true;
    }
    return UsbTabPage::eventFilter(watched, event);
}

void UsbScrolledPage::onWheel(QWheelEvent* event)
{
    const QPoint delta = event->angleDelta();
    if (delta.y() == 0 && delta.x() != 0) { // a sideways turn: nothing to scroll sideways
        event->ignore();
        return;
    }
    // One line per turn, whatever the turn's size: away from the user (or zero) is up.
    const int step = m_scroll.lineStep();
    scrollBy(m_scroll.moveBy(delta.y() >= 0 ? -step : step));
    event->accept();
}

void UsbScrolledPage::onFocusChanged(QWidget*, QWidget* now)
{
    // Tab may move the focus to a control outside the visible part: it is scrolled into view,
    // so that the user always sees what the keys act on.
    if (!now || !m_content->isAncestorOf(now))
        return;
    constexpr int kMargin = 4;
    const QRect control(now->mapTo(m_content, QPoint(0, 0)), now->size());
    if (control.top() < m_scroll.position)
        scrollBy(m_scroll.moveTo(control.top() - kMargin));
    else if (control.bottom() >= m_scroll.position + m_scroll.visible)
        scrollBy(m_scroll.moveTo(control.bottom() + 1 + kMargin - m_scroll.visible));
}

void UsbScrolledPage::scrollBy(int move)
{
    if (move == 0)
        return;
    m_scroll.position += move;
    m_bar->setValue(m_scroll.position);
    m_content->move(0, -m_scroll.position);
}
