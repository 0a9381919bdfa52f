#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

namespace fonts {

// Registers the "Tahoma" face with the application (Wine's Tahoma, which covers Cyrillic);
// without it the texts fall back to DejaVu Sans. Returns the family that texts will use.
QString registerFonts();

// The same from the given font files (tests use it to see the fallback).
QString registerFontsFrom(const QStringList& tahomaFiles);

// The family registerFonts() settled on ("Tahoma" when the face could be loaded).
QString family();

// The screen's horizontal logical pixels per inch divided by 96.
qreal scaleFactor();

// A font of the given size in tenths of a point, divided by the scale factor so that the text
// keeps its pixel size on any screen setting.
QFont pointFont(int tenthsOfPoint, qreal scale = scaleFactor());

// A font whose characters are the given number of pixels high.
QFont pixelFont(int pixels);

} // namespace fonts
