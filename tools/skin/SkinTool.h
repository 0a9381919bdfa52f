#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRectF>
#include <QString>

#include <map>

class QPainter;

namespace skintool {

// The language the words are painted in: the viewer's own Russian, or English for the versions
// of the bitmaps that hold words which its English face shows instead.
inline bool paintEnglish = false;
inline QString word(const char16_t* russian, const char16_t* english)
{
    return QString::fromUtf16(paintEnglish ? english : russian);
}

// The colours of the skin. The first six are the product's look; the rest are shades of it.
namespace look {
inline const QColor panel(4, 0, 0);
inline const QColor frame(150, 150, 150);
inline const QColor title(9, 121, 213);
inline const QColor rule(24, 62, 101);
inline const QColor label(133, 210, 217);
inline const QColor selection(170, 255, 75);

inline const QColor band(13, 15, 20); // the strip holding the seek bar and the sliders
inline const QColor screen(3, 4, 7); // video and map wells
inline const QColor raisedTop(34, 39, 48);
inline const QColor raisedBottom(15, 17, 22);
inline const QColor edge(48, 55, 68); // border of a raised panel
inline const QColor groove(2, 3, 5);
inline const QColor lcd(5, 13, 18); // speed display
inline const QColor lcdOn(110, 235, 255);
inline const QColor lcdOff(16, 34, 42);
inline const QColor fillLight(96, 196, 255);
inline const QColor fillDark(5, 72, 134);
inline const QColor field(208, 224, 226); // light field behind the black position text
inline const QColor listBody(7, 9, 13);
inline const QColor listStripe(11, 14, 19);
inline const QColor alert(236, 96, 24);
} // namespace look

// The bitmaps painted so far, by resource id. Later families crop the backgrounds painted
// first, so that an opaque piece blends into the spot the window draws it at.
class SkinSet
{
public:
    void put(int id, const QImage& image) { m_images[id] = image; }
    const QImage& get(int id) const;
    QImage crop(int id, const QRect& area) const { return get(id).copy(area); }
    const std::map<int, QImage>& all() const { return m_images; }

private:
    std::map<int, QImage> m_images;
};

// Family painters, in the order main() runs them.
void paintMainBackground(SkinSet& skin);
void paintLockScreen(SkinSet& skin);
void paintMainButtons(SkinSet& skin);
void paintBarsAndDigits(SkinSet& skin);
void paintIndicatorIcons(SkinSet& skin);
void paintPopupPieces(SkinSet& skin);

// Shared drawing helpers.
QString fontFamily();
void registerFontFace();
QFont pixelFont(qreal pixels, bool bold = false);
QImage blankImage(int width, int height, const QColor& fill);
void prepare(QPainter& painter);
void fillVertical(QPainter& painter, const QRectF& rect, const QColor& top, const QColor& bottom,
    qreal radius = 0);
void drawCentredText(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font,
    const QColor& colour);
void drawTitleBar(QPainter& painter, int width);
void drawGroove(QPainter& painter, const QRectF& rect);
void drawFill(QPainter& painter, const QRectF& rect, qreal leftRadius, qreal rightRadius);
void drawRaisedPanel(QPainter& painter, const QRectF& rect, qreal radius);
void drawButtonBody(QPainter& painter, const QRectF& body, qreal radius, bool pressed);
void drawScreenWell(QPainter& painter, const QRectF& inner, const QColor& fill);

// Icon glyphs, drawn in the given box (any size) in one colour.
enum class Glyph {
    Play,
    Pause,
    Stop,
    Previous,
    Next,
    Print,
    Camera,
    Save,
    Info,
    Usb,
    Gear,
    Minimise,
    Close,
    Folder,
    Check,
    Speaker,
    SpeakerMuted,
    Gauge,
    Lock,
    LockOpen,
    Lens,
};
void drawGlyph(QPainter& painter, Glyph glyph, const QRectF& box, const QColor& colour);
// A padlock from shut (0) to open (1).
void drawPadlock(QPainter& painter, const QRectF& box, const QColor& colour, qreal openness);

// A button face's content: a glyph (none when its size is 0) followed by its caption, centred,
// shrunk to fit.
struct GlyphCaption
{
    Glyph glyph;
    qreal glyphSize;
    QColor glyphColour;
    QString text;
    qreal pixels;
};
void drawGlyphCaption(
    QPainter& painter, const QRectF& body, const GlyphCaption& caption, bool pressed);

} // namespace skintool
