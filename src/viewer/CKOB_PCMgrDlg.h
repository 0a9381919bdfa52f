#pragma once

#include "platform/AppMessage.h"

#include <QDialog>
#include <QImage>
#include <QPoint>

class BitmapButton;

// The viewer's single main window: borderless, skinned, 1020 x 780, drawn into a back buffer
// that is copied to the screen in one piece.
class CKOB_PCMgrDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kWidth = 1020;
    static constexpr int kHeight = 780;
    static constexpr int kDragStrip = 35;

    explicit CKOB_PCMgrDlg(QWidget* parent = nullptr);
    ~CKOB_PCMgrDlg() override;

    const QImage& backBuffer() const { return m_backBuffer; }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void createControls();
    void bindMessageMap();
    void onMinimise();
    void onClose();

    QImage m_cleanBackground;
    QImage m_backBuffer;

    BitmapButton* m_minimise = nullptr;
    BitmapButton* m_close = nullptr;

    bool m_dragging = false;
    QPoint m_dragOffset;

    platform::MessageMap m_messages;
};
