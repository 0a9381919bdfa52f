#include "viewer/CKOB_PCMgrDlg.h"

#include "resources/BitmapButton.h"
#include "resources/Skin.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

CKOB_PCMgrDlg::CKOB_PCMgrDlg(QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint)
{
    setWindowTitle(QStringLiteral("ZYN Viewer"));
    setWindowIcon(skin::appIcon());
    // The back buffer covers every pixel, so the system need not erase anything first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);

    m_cleanBackground = skin::bitmap(130);
    if (m_cleanBackground.isNull()) {
        m_cleanBackground = QImage(kWidth, kHeight, QImage::Format_RGB32);
        m_cleanBackground.fill(QColor(4, 0, 0));
    }
    m_backBuffer = m_cleanBackground.copy();

    // Unlocked, the window covers the top-left corner of the screen.
    setGeometry(0, 0, kWidth, kHeight);
    setFixedSize(kWidth, kHeight);
    createControls();
    bindMessageMap();
}

CKOB_PCMgrDlg::~CKOB_PCMgrDlg() = default;

void CKOB_PCMgrDlg::createControls()
{
    m_minimise = new BitmapButton(1001, this);
    m_minimise->loadBitmaps(143, 144);
    m_minimise->setGeometry(925, 1, 45, 25);

    m_close = new BitmapButton(1002, this);
    m_close->loadBitmaps(141, 142);
    m_close->setGeometry(970, 1, 45, 25);
}

void CKOB_PCMgrDlg::bindMessageMap()
{
    connect(m_minimise, &BitmapButton::clicked, this, &CKOB_PCMgrDlg::onMinimise);
    connect(m_close, &BitmapButton::clicked, this, &CKOB_PCMgrDlg::onClose);
    m_messages = {
        {0x0750, [](platform::WParam, platform::LParam) -> platform::LResult { return 1; }},
    };
}

void CKOB_PCMgrDlg::onMinimise()
{
    showMinimized();
}

void CKOB_PCMgrDlg::onClose()
{
    accept();
}

bool CKOB_PCMgrDlg::event(QEvent* event)
{
    if (m_messages.dispatch(event))
        return true;
    return QDialog::event(event);
}

void CKOB_PCMgrDlg::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRect dirty = event->rect();
    painter.drawImage(dirty, m_backBuffer, dirty);
}

void CKOB_PCMgrDlg::keyPressEvent(QKeyEvent* event)
{
    // Enter and Escape never close the main window.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void CKOB_PCMgrDlg::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && event->position().y() < kDragStrip) {
        m_dragging = true;
        m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
        event->accept();
        return;
    }
    QDialog::mousePressEvent(event);
}

void CKOB_PCMgrDlg::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging) {
        move(event->globalPosition().toPoint() - m_dragOffset);
        event->accept();
        return;
    }
    QDialog::mouseMoveEvent(event);
}

void CKOB_PCMgrDlg::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_dragging && event->button() == Qt::LeftButton) {
        m_dragging = false;
        event->accept();
        return;
    }
    QDialog::mouseReleaseEvent(event);
}
