#include "overlay/OverlayBand.h"

#include "recording/PositionSentence.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <utility>

namespace overlay {

namespace {

constexpr double kKmhPerKnot = 1.852;
// The graph's scale: the G-sensor's values beyond this are drawn at its edge.
constexpr double kGraphRange = 2.0;

const QColor kBackground(14, 14, 16);
const QColor kText(240, 240, 240);
const QColor kDim(150, 150, 150);
const QColor kMissing(255, 176, 0);
const QColor kEvent(220, 30, 30);
// The viewer's own colours for the three axes.
const QColor kAxis[3] = {QColor(0xFF, 0x00, 0x6E), QColor(0x87, 0xFF, 0x00), QColor(0x00, 0xE1, 0xFF)};

QFont font(int pixels, double scale, bool bold = false)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(std::max(6, int(std::lround(pixels * scale))));
    f.setBold(bold);
    return f;
}

void text(QPainter& painter, double x, double y, const QString& line, const QFont& f,
    const QColor& colour)
{
    painter.setFont(f);
    painter.setPen(colour);
    painter.drawText(QRectF(x, y, 4000, 200), Qt::AlignLeft | Qt::AlignTop, line);
}

QString signedValue(double value)
{
    return QString::asprintf("%+.2f", value);
}

} // namespace

BandPainter::BandPainter(drive::RecordingTelemetry telemetry, int width, BandOptions options)
    : m_telemetry(std::move(telemetry))
    , m_width(width)
    , m_options(std::move(options))
{
    for (const drive::CameraEvent& event : m_telemetry.cameraEvents) {
        if (event.time.isValid() && m_telemetry.start.isValid())
            m_eventSeconds.push_back(int(m_telemetry.start.secsTo(event.time)));
    }
}

QString BandPainter::compassPoint(double course)
{
    static const char* const kPoints[] = {"N", "NE", "E", "SE", "S", "SW", "W", "NW"};
    const double normal = std::fmod(std::fmod(course, 360.0) + 360.0, 360.0);
    return QLatin1String(kPoints[int(std::floor((normal + 22.5) / 45.0)) % 8]);
}

QString BandPainter::unitLabel(int speedUnit)
{
    switch (speedUnit) {
    case recording::MilesPerHour:
        return QStringLiteral("mph");
    case recording::Knots:
        return QStringLiteral("kn");
    default:
        return QStringLiteral("km/h");
    }
}

BandValues BandPainter::values(double seconds) const
{
    BandValues v;
    const int second = int(std::floor(std::max(0.0, seconds)));
    if (m_telemetry.start.isValid())
        v.time = m_telemetry.start.addSecs(second).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    for (int start : m_eventSeconds)
        v.event = v.event || (second >= start && second < start + kEventMarkSeconds);
    if (second >= int(m_telemetry.seconds.size()))
        return v;
    const drive::TelemetrySecond& now = m_telemetry.seconds[size_t(second)];
    v.hasFix = now.hasFix;
    v.hasSample = now.hasSample;
    v.hasTelemetry = now.hasFix || now.hasSample;
    if (now.hasSample) {
        v.x = now.x;
        v.y = now.y;
        v.z = now.z;
    }
    if (!now.hasFix)
        return v;
    double speedKmh = now.speedKmh;
    v.course = now.course;
    v.latitude = now.latitude;
    v.longitude = now.longitude;
    const size_t next = size_t(second) + 1;
    if (next < m_telemetry.seconds.size() && m_telemetry.seconds[next].hasFix) {
        const drive::TelemetrySecond& then = m_telemetry.seconds[next];
        const double t = seconds - second;
        speedKmh += (then.speedKmh - now.speedKmh) * t;
        v.latitude += (then.latitude - now.latitude) * t;
        v.longitude += (then.longitude - now.longitude) * t;
    }
    v.speed = recording::convertSpeed(speedKmh / kKmhPerKnot, m_options.speedUnit);
    return v;
}

QImage BandPainter::band(double seconds) const
{
    QImage image(m_width, kBandHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    paint(painter, 0, seconds);
    return image;
}

void BandPainter::paint(QPainter& painter, int top, double seconds) const
{
    const double f = m_width / 640.0;
    const BandValues v = values(seconds);
    painter.save();
    painter.translate(0, top);
    painter.fillRect(QRect(0, 0, m_width, kBandHeight), kBackground);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    text(painter, 10 * f, 6, v.time, font(20, f), kText);
    text(painter, 10 * f, 88, m_options.name, font(13, f), kDim);
    if (v.event) {
        const QRectF mark(m_width - 120 * f, 6, 110 * f, 30);
        painter.fillRect(mark, kEvent);
        painter.setFont(font(20, f, true));
        painter.setPen(Qt::white);
        painter.drawText(mark, Qt::AlignCenter, QStringLiteral("EVENT"));
    }
    if (!v.hasTelemetry) {
        text(painter, 250 * f, 40, QStringLiteral("NO TELEMETRY"), font(22, f, true), kMissing);
        painter.restore();
        return;
    }
    if (v.hasFix) {
        text(painter, 250 * f, 2, QString::number(qRound(v.speed)), font(34, f, true), kText);
        text(painter, 318 * f, 16, unitLabel(m_options.speedUnit), font(15, f), kText);
        text(painter, 390 * f, 6,
            QStringLiteral("%1 %2\u00B0").arg(compassPoint(v.course)).arg(qRound(v.course) % 360),
            font(20, f), kText);
        text(painter, 10 * f, 40, recording::latitudeLine(v.latitude), font(16, f), kText);
        text(painter, 10 * f, 62, recording::longitudeLine(v.longitude), font(16, f), kText);
    } else {
        text(painter, 250 * f, 10, QStringLiteral("NO FIX"), font(20, f, true), kMissing);
    }
    if (v.hasSample) {
        const QString names[3] = {QStringLiteral("X"), QStringLiteral("Y"), QStringLiteral("Z")};
        const double values[3] = {v.x, v.y, v.z};
        for (int axis = 0; axis < 3; ++axis)
            text(painter, 250 * f, 44 + axis * 20,
                names[axis] + QLatin1Char(' ') + signedValue(values[axis]) + QStringLiteral(" g"),
                font(15, f), kAxis[axis]);
    }
    paintGraph(painter, QRect(int(380 * f), 44, m_width - int(390 * f), 60), seconds);
    painter.restore();
}

// The last seconds of the three axes, the newest at the right edge; seconds without a sample
// break the lines.
void BandPainter::paintGraph(QPainter& painter, const QRect& box, double seconds) const
{
    painter.setPen(QColor(60, 60, 66));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(box);
    const double middle = box.center().y();
    painter.drawLine(QPointF(box.left(), middle), QPointF(box.right(), middle));
    const int last = int(std::floor(seconds));
    const double step = double(box.width()) / kGraphSeconds;
    for (int axis = 0; axis < 3; ++axis) {
        QPainterPath path;
        bool drawing = false;
        for (int s = last - kGraphSeconds; s <= last; ++s) {
            if (s < 0 || s >= int(m_telemetry.seconds.size())
                || !m_telemetry.seconds[size_t(s)].hasSample) {
                drawing = false;
                continue;
            }
            const drive::TelemetrySecond& sample = m_telemetry.seconds[size_t(s)];
            const double value = axis == 0 ? sample.x : axis == 1 ? sample.y : sample.z - 1.0;
            const double clipped = std::clamp(value, -kGraphRange, kGraphRange);
            const QPointF point(box.right() - (last - s) * step,
                middle - clipped / kGraphRange * (box.height() / 2.0 - 2));
            if (drawing)
                path.lineTo(point);
            else
                path.moveTo(point);
            drawing = true;
        }
        painter.setPen(QPen(kAxis[axis], 1.5));
        painter.drawPath(path);
    }
}

} // namespace overlay
