#pragma once

#include <QColor>
#include <QKeyEvent>

class QPainter;
class QPoint;
class QSize;
class QString;

// What the skinned popups share beside their skin.
namespace popup {

// shownState keeps the desktop's show codes: SetVisible(kShown) shows, SetVisible(kHidden) hides.
inline constexpr int kHidden = 0;
inline constexpr int kShown = 5;

// The keys a desktop dialog closes on: Enter, Escape, and F4 alone or with Alt. The skinned
// popups take them, so that a popup closes only through its own buttons.
inline bool closesDialog(const QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_F4:
        return true;
    default:
        return false;
    }
}

inline bool isEnter(const QKeyEvent* event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

// The popups' colours: a near-black face, grey frames, blue titles over a dark blue rule, pale
// cyan labels.
inline const QColor kFace{4, 0, 0};
inline const QColor kFrame{150, 150, 150};
inline const QColor kBoxFrame{130, 130, 130};
inline const QColor kTitle{9, 121, 213};
inline const QColor kRule{24, 62, 101};
inline const QColor kLabel{133, 210, 217};

// The face every popup draws first: filled, framed by one grey pixel, the title at (16, 9) in
// 16 pt and a two-pixel rule under it at y 39 from x 11 to ruleEnd.
void drawFace(QPainter& painter, const QSize& size, const QString& title, int ruleEnd);

// Texts are placed by their top-left corner, transparent, in "Tahoma" of the given size in
// tenths of a point.
void drawText(QPainter& painter, const QPoint& topLeft, const QString& text, const QColor& colour,
    int tenthsOfPoint = 120);
// Centred between 0 and width, top at y.
void drawTextCentred(QPainter& painter, int width, int y, const QString& text, const QColor& colour,
    int tenthsOfPoint = 120);

} // namespace popup
