#pragma once

#include <QImage>
#include <QRect>
#include <QRegion>

#include <functional>

// The main window's two copies of the skin: the clean background, and the back buffer that
// every drawing routine paints into. A routine restores the clean pixels under its rectangle,
// draws, and marks the rectangle dirty; the window hands the gathered region to the screen
// once (one update() per batch), so nothing is invalidated from inside a paint event.
class BackBuffer
{
public:
    BackBuffer() = default;
    explicit BackBuffer(const QImage& background);

    // Replaces the clean background (the password screen, then the full skin) and, with
    // copyToBack, the back buffer with it.
    void setBackground(const QImage& background, bool copyToBack = true);

    QImage& image() { return m_back; }
    const QImage& image() const { return m_back; }
    const QImage& clean() const { return m_clean; }

    // Copies the clean background over rect (clipped to the buffer) in the back buffer.
    void restore(const QRect& rect);
    // Adds rect to what the screen must take from the back buffer.
    void invalidate(const QRect& rect);
    void restoreAndInvalidate(const QRect& rect)
    {
        restore(rect);
        invalidate(rect);
    }

    void invalidate(const QRegion& region);

    bool hasDirty() const { return !m_dirty.isEmpty(); }

    // The screen has been given the back buffer's pixels in region.
    void markShown(const QRegion& region);
    // The rectangles of region whose pixels differ from what the screen was last given: a paint
    // draws every routine, but only its own region reaches the screen, so whatever changed
    // outside it has to be asked for again or it would never be seen.
    QRegion unshown(const QRegion& region) const;
    // The gathered region, emptied.
    QRegion takeDirty();

    // Called whenever a rectangle is marked while nothing was gathered: the owner schedules
    // one hand-over to the screen for the whole batch that follows.
    void setDirtyListener(std::function<void()> listener) { m_listener = std::move(listener); }

private:
    QImage m_clean;
    QImage m_back;
    // A copy of what the screen shows, so that a change can be told from a repaint of the same.
    QImage m_shown;
    QRegion m_dirty;
    std::function<void()> m_listener;
};
