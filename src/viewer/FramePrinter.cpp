#include "viewer/FramePrinter.h"

#include "player/PVEXAdap.h"
#include "recording/PositionSentence.h"
#include "resources/Fonts.h"
#include "resources/Strings.h"
#include "viewer/FrameGrabber.h"
#include "viewer/PrintDialog.h"

#include <QPainter>
#include <QPrinter>

#include <algorithm>

namespace {

constexpr double kDesignWidth = 3507;
constexpr double kDesignHeight = 2480;
constexpr int kFrameScale = 3;
// The text is a 50-point font sized as on a 96 dpi screen: 66.7 pixels on the 300 dpi page.
// A 50-point font at the page's own resolution would be three times as tall and run the
// lines into each other.
constexpr double kFontPoints = 50;
constexpr double kScreenDpi = 96;
// A line of text is about 1.2 times its font's pixel size high; a font of at most 0.8 times
// the gap keeps a line clear of the next whatever the page's proportions.
constexpr double kLineShare = 0.8;

} // namespace

FramePrinter::Layout FramePrinter::layout(QSize printable, int resolution)
{
    Layout page;
    const int H = printable.width();
    const int V = printable.height();
    page.xs = H / kDesignWidth;
    page.ys = V / kDesignHeight;
    const int w = int(640 * kFrameScale * page.xs);
    const int h = int(480 * kFrameScale * page.ys);
    const int left = (H - w) / 2;
    const int top = (V - h) / 2;
    page.frame = QRect(left, top, w, h);
    page.dateLine = QPoint(left, top - int(page.ys * 420));
    page.positionLine = QPoint(left, top - int(page.xs * 300));
    page.speedLine = QPoint(left, top - int(page.ys * 180));
    page.sensorLine = QPoint(left, top + h + int(page.ys * 50));

    const int gap = std::min({page.positionLine.y() - page.dateLine.y(),
        page.speedLine.y() - page.positionLine.y(), top - page.speedLine.y()});
    const double designed = page.ys * kFontPoints * kScreenDpi / 72;
    page.fontPixels = std::max(1, int(std::min(designed, gap * kLineShare)));
    page.fontPoints = resolution > 0 ? page.fontPixels * 72.0 / resolution : 0;
    return page;
}

FramePrinter::FramePrinter(
    QImage frame, QByteArray positionText, std::optional<GSensorGraph::Sample> sensor, int unit)
    : m_frame(std::move(frame))
    , m_positionText(std::move(positionText))
    , m_sensor(sensor)
    , m_unit(unit)
{ }

FramePrinter FramePrinter::fromAdapter(const PVEXAdap& adapter, FrameGrabber& frames, int unit)
{
    std::array<char, 128> gps{};
    std::array<std::uint8_t, 12> sensor{};
    std::optional<GSensorGraph::Sample> sample;
    QByteArray text;
    // A recording without telemetry prints none, whatever the copies hold.
    if (adapter.noTelemetry == 0 && adapter.telemetryCopies(gps, sensor)) {
        const std::string_view sentence = recording::sentenceText(gps.data(), gps.size());
        text = QByteArray(sentence.data(), qsizetype(sentence.size()));
        sample = GSensorGraph::Sample::fromRecord(sensor);
    }
    return FramePrinter(frames.grab(adapter), text, sample, unit);
}

QStringList FramePrinter::lines() const
{
    const std::string_view text(m_positionText.constData(), size_t(m_positionText.size()));
    // Whatever the adapter holds is printed, but only a position sentence has fields to read:
    // anything else prints as an empty record.
    const recording::TelemetryRecord record = recording::isPositionSentence(text)
        ? recording::parsePositionSentence(text)
        : recording::TelemetryRecord{};
    // No record at all (a recording without telemetry): dashes, not a position at 0, 0.
    const bool none = m_positionText.isEmpty();
    const QString noCoordinate = QStringLiteral("---° --' --.--\"");
    const QString position = strings::text(124) + QLatin1Char(' ')
        + QStringLiteral("%1: %2   %3: %4")
              .arg(strings::text(122),
                  none ? noCoordinate : recording::formatCoordinate(record.latitude),
                  strings::text(123),
                  none ? noCoordinate : recording::formatCoordinate(record.longitude));
    QString speed = recording::speedText(record, m_unit);
    if (none)
        speed.replace(QStringLiteral("0.0"), QStringLiteral("--.-"));
    QString sensor;
    if (m_sensor && GSensorGraph::inRange(*m_sensor))
        sensor = QString::asprintf(
            "GSensor X: %.3f     Y: %.3f     Z: %.3f", m_sensor->x, m_sensor->y, m_sensor->z);
    return {
        recording::dateTimeText(record), position, speed, sensor};
}

bool FramePrinter::printTo(QPrinter& printer) const
{
    printer.setDocName(QStringLiteral("KOB"));
    const Layout page = layout(
        printer.pageLayout().paintRectPixels(printer.resolution()).size(), printer.resolution());
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    QFont font(fonts::family());
    font.setPixelSize(page.fontPixels);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QStringList text = lines();
    auto drawLine = [&](QPoint at, const QString& line) {
        if (line.isEmpty())
            return;
        const QRect area(at, QSize(printer.width() - at.x(), page.fontPixels * 2));
        painter.drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, line);
    };
    drawLine(page.dateLine, text[0]);
    drawLine(page.positionLine, text[1]);
    drawLine(page.speedLine, text[2]);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(page.frame, m_frame.isNull() ? FrameGrabber::blankFrame() : m_frame);
    drawLine(page.sensorLine, text[3]);
    return painter.end();
}

FramePrinter::Result FramePrinter::print(QWidget* parent) const
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(QStringLiteral("KOB"));
    if (!printing::runPrintDialog(printer, parent))
        return Cancelled;
    return printTo(printer) ? Printed : PrinterFailed;
}
