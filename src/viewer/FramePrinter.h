#pragma once

#include "viewer/GSensorGraph.h"

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QStringList>

#include <optional>

class FrameGrabber;
class PVEXAdap;
class QPrinter;
class QWidget;

// The printed page of the current frame: the date, position and speed lines above the frame,
// the frame stretched from 640 x 480, and the G-sensor line below it, on one landscape sheet.
class FramePrinter
{
public:
    // Where everything goes on a printable area. The page is designed for A4 landscape at
    // 300 dots per inch (3507 x 2480) and scaled from there.
    struct Layout
    {
        double xs = 0;
        double ys = 0;
        QRect frame;
        QPoint dateLine;
        QPoint positionLine;
        QPoint speedLine;
        QPoint sensorLine;
        // Height of the text font in device pixels, and the same in points at the printer's
        // resolution.
        int fontPixels = 0;
        double fontPoints = 0;
    };

    // printable: the printable area in device pixels; resolution: the printer's dots per inch.
    static Layout layout(QSize printable, int resolution);

    // frame: the picture to print (see FrameGrabber); positionText: the adapter's position
    // sentence; sensor: its acceleration sample, if one was reported; unit: the speed unit.
    FramePrinter(QImage frame, QByteArray positionText, std::optional<GSensorGraph::Sample> sensor,
        int unit);

    // The current frame and telemetry of the adapter.
    static FramePrinter fromAdapter(const PVEXAdap& adapter, FrameGrabber& frames, int unit);

    // Date, position, speed and G-sensor lines; the last is empty unless the sample is in range.
    QStringList lines() const;

    // Paints the page on a printer that is set up, as one document named "KOB". False when the
    // printer could not be started.
    bool printTo(QPrinter& printer) const;

    enum Result : int { Printed = 0, Cancelled = 1, PrinterFailed = 2 };
    // The print dialog, preset to A4 landscape, then the page.
    Result print(QWidget* parent = nullptr) const;

private:
    QImage m_frame;
    QByteArray m_positionText;
    std::optional<GSensorGraph::Sample> m_sensor;
    int m_unit;
};
