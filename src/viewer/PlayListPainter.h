#pragma once

#include <QColor>
#include <QRect>
#include <QString>

class BackBuffer;
class PlayList;

// Draws the play list into the main window's back buffer: the window title (the open
// recording's name), the list header, the seven rows and the scroll bar. Each routine
// restores the clean background under what it draws and marks its rectangles dirty, so it may
// run on every paint without the texts thickening.
class PlayListPainter
{
public:
    static constexpr QRect kTitleRect{QPoint(25, 7), QPoint(324, 36)};
    // Header texts and the top of the column lines.
    static constexpr QRect kHeaderRect{QPoint(683, 610), QPoint(1001, 637)};
    static const QColor kLineColour;
    static const QColor kSelectionColour;
    static const QColor kTrackColour;
    static const QColor kThumbColour;
    // Rows of damaged recordings, and the title's passing notes.
    static const QColor kDamagedColour;
    static const QColor kDamagedSelectedColour;
    static const QColor kStatusColour;
    // Rows of recordings the camera never closed, which can be recovered.
    static const QColor kRecoverableColour;
    static const QColor kRecoverableSelectedColour;

    // The name of the open recording from its type prefix on; nothing while the list is
    // empty. A status, while there is one, stands in the name's place. With a non-empty list it
    // also re-places the scroll thumb for the shown page and marks the list, as the thumb may
    // have been left by an update between pages.
    void drawTitle(BackBuffer& buffer, PlayList& list, const QString& status = {}) const;
    // Column titles and the lines that frame them.
    void drawHeader(BackBuffer& buffer) const;
    // The shown rows with type icon, date and name, the selection highlighted, damaged
    // recordings struck through in red and recoverable ones in amber, then the scroll bar.
    void drawRows(BackBuffer& buffer, const PlayList& list) const;
    // The scroll bar column alone (a drag of the thumb within one page).
    void drawScrollBar(BackBuffer& buffer, const PlayList& list) const;

    // "YYYY.MM.DD" of a recording path's eight date characters.
    static QString dateText(const QString& path);
    // The path from its type prefix on, empty when it has none.
    static QString namePart(const QString& path);
    // Skin bitmap id of a path's type icon, -1 for a path of no known type.
    static int iconId(const QString& path);
};
