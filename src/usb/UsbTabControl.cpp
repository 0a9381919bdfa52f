#include "usb/UsbTabControl.h"

#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>
#include <QTabBar>

UsbTabControl::UsbTabControl(QWidget* parent)
    : QWidget(parent)
    , m_bar(new QTabBar(this))
{
    m_bar->setDrawBase(false);
    m_bar->setExpanding(false);
    connect(m_bar, &QTabBar::currentChanged, this, &UsbTabControl::currentChanged);
}

int UsbTabControl::addTab(const QString& caption)
{
    const int index = m_bar->addTab(caption);
    m_bar->resize(m_bar->sizeHint());
    return index;
}

int UsbTabControl::currentIndex() const
{
    return m_bar->currentIndex();
}

void UsbTabControl::setCurrentIndex(int index)
{
    m_bar->setCurrentIndex(index);
}

QRect UsbTabControl::pageArea() const
{
    return QRect(5, 25, width() - 10, height() - 30);
}

void UsbTabControl::resizeEvent(QResizeEvent* event)
{
    m_bar->setGeometry(
        2, 0, std::min(m_bar->sizeHint().width(), width() - 4), m_bar->sizeHint().height());
    QWidget::resizeEvent(event);
}

void UsbTabControl::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionTabWidgetFrame pane;
    pane.initFrom(this);
    const int top = m_bar->geometry().bottom() - 1;
    pane.rect = QRect(0, top, width(), height() - top);
    pane.shape = QTabBar::RoundedNorth;
    pane.tabBarSize = m_bar->size();
    pane.tabBarRect = m_bar->geometry();
    pane.selectedTabRect = m_bar->tabRect(m_bar->currentIndex()).translated(m_bar->pos());
    painter.drawPrimitive(QStyle::PE_FrameTabWidget, pane);
}
