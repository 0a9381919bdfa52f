#pragma once

#include <QAbstractButton>
#include <QImage>

// A push button drawn entirely from two skin bitmaps: the normal one, and the pressed one
// while the button is held down (the normal one again when there is none).
class BitmapButton : public QAbstractButton
{
    Q_OBJECT

public:
    explicit BitmapButton(int id, QWidget* parent = nullptr);

    // Takes the bitmaps by skin id (0 for none) and sizes the button to the normal one.
    void loadBitmaps(int normalId, int pressedId = 0);
    void setBitmaps(const QImage& normal, const QImage& pressed = {});
    // Places the button; a size of zero keeps the bitmap's size.
    void place(int x, int y, int width = 0, int height = 0);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_normal;
    QImage m_pressed;
};
