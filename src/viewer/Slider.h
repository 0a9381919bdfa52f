#pragma once

#include <QPoint>
#include <QRect>

class BackBuffer;

// A horizontal skinned slider of the transport row (speed, volume): an icon, a fill of one
// pixel column per step and a thumb. It maps mouse x to a position and back; what a position
// means to the player is its subclass's table.
class Slider
{
public:
    struct Geometry
    {
        int maximum; // positions run from 0 to maximum
        int origin; // x of the first fill column and of the thumb at position 0
        int lowX; // a click at or left of it gives 0
        int highX; // a click at or right of it gives the maximum
        int offset; // between them the position is x - offset
        QPoint fillLeft; // left end piece of the fill
        QPoint fillRight; // right end piece, shown at the maximum only
        QRect track; // where a click moves the thumb
        QRect redraw; // restored to the clean background before drawing
        QRect invalidate; // what the screen takes after a change
        QPoint icon;
        int iconId;
        int emptyIconId; // the icon at position 0
    };

    static constexpr int kThumbY = 552;
    static constexpr int kThumbWidth = 23;
    static constexpr int kThumbHeight = 20;

    explicit Slider(const Geometry& geometry, int value);

    const Geometry& geometry() const { return m_geometry; }
    int value() const { return m_value; }
    // Kept within 0 to the maximum.
    void setValue(int value);

    // Position for the mouse's x on the track or while the thumb is dragged.
    int valueAt(int x) const;
    // setValue(valueAt(x)).
    void moveTo(int x) { setValue(valueAt(x)); }

    bool thumbHit(QPoint point) const;
    bool trackHit(QPoint point) const { return m_geometry.track.contains(point); }

    // Icon, fill and thumb over the clean background, and the slider's rectangle marked.
    void draw(BackBuffer& buffer) const;

private:
    Geometry m_geometry;
    int m_value = 0;
};
