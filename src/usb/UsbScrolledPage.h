#pragma once

#include "usb/UsbTabPage.h"

#include <algorithm>

class QScrollBar;
class QVBoxLayout;

// The scroll arithmetic of a page taller than the tab area: full is the page's height in
// pixels, visible the part the tab shows, position the first pixel row shown. Steps scale with
// the range so that a long page takes as many clicks as a short one, and never go below 5.
struct PageScroll
{
    int full = 0;
    int visible = 0;
    int position = 0;

    int range() const { return std::max(0, full - visible); }
    int lineStep() const { return std::max(range() / 20, 5); }
    int pageStep() const { return std::max(range() / 10, 5); }
    // The move that takes the position by delta, stopping at 0 and at the range: 0 when the
    // position is there already.
    int moveBy(int delta) const { return std::clamp(position + delta, 0, range()) - position; }
    int moveTo(int target) const { return moveBy(target - position); }
};

// A page whose contents scroll under a vertical scroll bar of its own. Subclasses build their
// controls into column() and call finishContent() once, which measures the full height.
class UsbScrolledPage : public UsbTabPage
{
    Q_OBJECT

public:
    UsbScrolledPage(DeviceConfig& config, QWidget* parent);

    const PageScroll& scroll() const { return m_scroll; }
    QScrollBar* scrollBar() const { return m_bar; }

protected:
    QVBoxLayout* column() const { return m_column; }
    void finishContent();

    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onBarAction(int action);
    void onWheel(QWheelEvent* event);
    void onFocusChanged(QWidget* old, QWidget* now);
    void scrollBy(int move);

    QWidget* m_viewport = nullptr;
    QWidget* m_content = nullptr;
    QVBoxLayout* m_column = nullptr;
    QScrollBar* m_bar = nullptr;
    PageScroll m_scroll;
};
