#include "archivewindow/SpeedProfile.h"

#include "recording/PositionSentence.h"
#include "resources/Fonts.h"
#include "resources/Popup.h"
#include "resources/Strings.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace archivewin {

namespace {

constexpr double kKmhPerKnot = 1.852;
constexpr int kLeft = 44; // room for the speed labels
constexpr int kRight = 10;
constexpr int kTop = 22; // room for the pointer's text
constexpr int kBottom = 18; // room for the time labels
// Two seconds with a fix further apart than this are not joined by the line: the receiver had
// no fix between them.
constexpr qint64 kJoinGap = 3;

const QColor kLine(170, 255, 75);
const QColor kStop(24, 62, 101);
const QColor kGrid(40, 40, 40);
const QColor kCameraEvent(0xFF, 0x8C, 0x00);
const QColor kFoundEvent(0xFF, 0xE6, 0x46);
const QColor kPointer(235, 235, 235);

QString unitText(int unit)
{
    return unit == recording::MilesPerHour ? strings::kUnitMph
        : unit == recording::Knots         ? strings::kUnitKnots
                                           : strings::kUnitKmh;
}

// A round step for about `count` grid lines over `range`.
double niceStep(double range, int count)
{
    const double raw = range / std::max(1, count);
    const double power = std::pow(10.0, std::floor(std::log10(std::max(raw, 1e-9))));
    for (double m : {1.0, 2.0, 5.0, 10.0}) {
        if (raw <= m * power)
            return m * power;
    }
    return 10 * power;
}

} // namespace

SpeedProfile::SpeedProfile(QWidget* parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::CrossCursor);
}

std::vector<ProfileStop> SpeedProfile::findStops(const std::vector<ProfileSecond>& seconds)
{
    std::vector<ProfileStop> stops;
    size_t i = 0;
    while (i < seconds.size()) {
        if (seconds[i].speedKmh >= kStandingKmh) {
            ++i;
            continue;
        }
        size_t j = i;
        while (j + 1 < seconds.size() && seconds[j + 1].speedKmh < kStandingKmh
            && seconds[j + 1].offset - seconds[j].offset <= kJoinGap)
            ++j;
        const ProfileStop stop{seconds[i].offset, seconds[j].offset + 1};
        if (stop.to - stop.from >= kStopSeconds)
            stops.push_back(stop);
        i = j + 1;
    }
    return stops;
}

void SpeedProfile::setProfile(const ProfileData& data, int speedUnit)
{
    m_data = data;
    m_unit = speedUnit;
    m_stops = findStops(m_data.seconds);
    double top = 0;
    for (const ProfileSecond& s : m_data.seconds)
        top = std::max(top, shown(s.speedKmh));
    // Headroom above the fastest second, to a round figure.
    const double step = niceStep(std::max(top, 10.0), 4);
    m_topKmh = std::ceil(std::max(top, 10.0) * 1.05 / step) * step;
    m_pointerX.reset();
    m_pointerText.clear();
    update();
}

void SpeedProfile::clear()
{
    setProfile({});
}

double SpeedProfile::inUnit(double kmh, int unit)
{
    return unit == recording::KilometresPerHour ? kmh
                                                : recording::convertSpeed(kmh / kKmhPerKnot, unit);
}

QString SpeedProfile::speedText(double kmh, int unit)
{
    return QStringLiteral("%1 %2").arg(inUnit(kmh, unit), 0, 'f', 0).arg(unitText(unit));
}

double SpeedProfile::shown(double kmh) const
{
    return inUnit(kmh, m_unit);
}

QRect SpeedProfile::plotRect() const
{
    return rect().adjusted(kLeft, kTop, -kRight, -kBottom);
}

int SpeedProfile::xOf(qint64 offset) const
{
    const QRect plot = plotRect();
    const qint64 length = std::max<qint64>(1, m_data.length);
    return plot.left() + int(std::llround(double(offset) * (plot.width() - 1) / double(length)));
}

qint64 SpeedProfile::offsetAt(int x) const
{
    const QRect plot = plotRect();
    const qint64 length = std::max<qint64>(1, m_data.length);
    const double at = double(x - plot.left()) * double(length) / std::max(1, plot.width() - 1);
    return std::clamp<qint64>(std::llround(at), 0, std::max<qint64>(0, m_data.length - 1));
}

const ProfileSecond* SpeedProfile::secondNear(qint64 offset) const
{
    const auto& seconds = m_data.seconds;
    auto it = std::lower_bound(seconds.begin(), seconds.end(), offset,
        [](const ProfileSecond& s, qint64 o) { return s.offset < o; });
    const ProfileSecond* best = nullptr;
    if (it != seconds.end())
        best = &*it;
    if (it != seconds.begin()) {
        const ProfileSecond* before = &*std::prev(it);
        if (!best || offset - before->offset <= best->offset - offset)
            best = before;
    }
    // Far from any fix there is nothing to tell.
    if (best && std::llabs(best->offset - offset) > kJoinGap)
        return nullptr;
    return best;
}

std::optional<double> SpeedProfile::speedAt(qint64 offset) const
{
    const auto& seconds = m_data.seconds;
    auto it = std::lower_bound(seconds.begin(), seconds.end(), offset,
        [](const ProfileSecond& s, qint64 o) { return s.offset < o; });
    if (it == seconds.end() || it->offset != offset)
        return std::nullopt;
    return shown(it->speedKmh);
}

void SpeedProfile::paintAxes(QPainter& painter, const QRect& plot, double top)
{
    painter.setFont(fonts::pointFont(80));
    const double step = niceStep(top, 4);
    for (double v = 0; v <= top + 1e-6; v += step) {
        const int y = plot.bottom() - int(std::lround(v / top * plot.height()));
        painter.setPen(kGrid);
        painter.drawLine(plot.left(), y, plot.right(), y);
        painter.setPen(popup::kLabel);
        painter.drawText(QRect(0, y - 8, kLeft - 4, 16), Qt::AlignRight | Qt::AlignVCenter,
            QString::number(v, 'f', 0));
    }
    painter.drawText(
        QRect(0, 2, kLeft + 60, 16), Qt::AlignLeft | Qt::AlignVCenter, unitText(m_unit));
    if (m_data.length <= 0 || !m_data.start.isValid())
        return;
    // Time labels every round number of minutes that leaves room for the text.
    const qint64 minutes = std::max<qint64>(1, m_data.length / 60);
    qint64 every = 60;
    for (qint64 m : {1, 2, 5, 10, 15, 30, 60, 120}) {
        every = m * 60;
        if (minutes / m <= plot.width() / 70)
            break;
    }
    const qint64 startSeconds = m_data.start.toSecsSinceEpoch();
    for (qint64 t = (startSeconds / every + 1) * every - startSeconds; t < m_data.length;
         t += every) {
        const int x = xOf(t);
        painter.setPen(kGrid);
        painter.drawLine(x, plot.top(), x, plot.bottom());
        painter.setPen(popup::kLabel);
        painter.drawText(QRect(x - 30, plot.bottom() + 2, 60, kBottom - 2), Qt::AlignCenter,
            m_data.start.addSecs(t).toString(QStringLiteral("HH:mm")));
    }
}

void SpeedProfile::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), popup::kFace);
    painter.setPen(popup::kBoxFrame);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    const QRect plot = plotRect();
    if (m_data.seconds.empty()) {
        painter.setPen(popup::kLabel);
        painter.setFont(fonts::pointFont(100));
        painter.drawText(plot, Qt::AlignCenter, strings::kProfileEmpty);
        return;
    }
    for (const ProfileStop& stop : m_stops)
        painter.fillRect(QRect(QPoint(xOf(stop.from), plot.top()),
                             QPoint(std::max(xOf(stop.from), xOf(stop.to)), plot.bottom())),
            kStop);
    paintAxes(painter, plot, m_topKmh);

    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath line;
    const ProfileSecond* previous = nullptr;
    for (const ProfileSecond& s : m_data.seconds) {
        const QPointF point(
            xOf(s.offset), plot.bottom() - shown(s.speedKmh) / m_topKmh * plot.height());
        if (!previous || s.offset - previous->offset > kJoinGap)
            line.moveTo(point);
        else
            line.lineTo(point);
        previous = &s;
    }
    painter.setPen(QPen(kLine, 1.5));
    painter.drawPath(line);
    painter.setRenderHint(QPainter::Antialiasing, false);

    // The camera's own marks last: where the telemetry found the same moment, the camera's
    // colour is the one seen.
    std::vector<ProfileMark> marks = m_data.events;
    std::stable_partition(marks.begin(), marks.end(),
        [](const ProfileMark& m) { return m.kind != QLatin1String("camera"); });
    for (const ProfileMark& mark : marks) {
        const int x = xOf(mark.offset);
        const QColor colour = mark.kind == QLatin1String("camera") ? kCameraEvent : kFoundEvent;
        painter.setPen(colour);
        painter.drawLine(x, plot.top(), x, plot.bottom());
        painter.setBrush(colour);
        painter.drawPolygon(QPolygon(
            {QPoint(x - 4, plot.top() - 6), QPoint(x + 4, plot.top() - 6), QPoint(x, plot.top())}));
        painter.setBrush(Qt::NoBrush);
    }
    if (m_pointerX) {
        painter.setPen(kPointer);
        painter.drawLine(*m_pointerX, plot.top(), *m_pointerX, plot.bottom());
        painter.setFont(fonts::pointFont(90));
        painter.drawText(QRect(kLeft + 60, 2, plot.width() - 60, kTop - 4),
            Qt::AlignRight | Qt::AlignVCenter, m_pointerText);
    }
}

void SpeedProfile::mouseMoveEvent(QMouseEvent* event)
{
    const QRect plot = plotRect();
    const int x = int(event->position().x());
    if (m_data.seconds.empty() || x < plot.left() || x > plot.right()) {
        leaveEvent(event);
        return;
    }
    const qint64 offset = offsetAt(x);
    m_pointerX = x;
    const QString time = m_data.start.isValid()
        ? m_data.start.addSecs(offset).toString(QStringLiteral("HH:mm:ss"))
        : QString::number(offset);
    const ProfileSecond* s = secondNear(offset);
    m_pointerText = s ? time + QStringLiteral("   ") + speedText(s->speedKmh, m_unit) : time;
    update();
}

void SpeedProfile::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || m_data.seconds.empty())
        return;
    const ProfileSecond* s = secondNear(offsetAt(int(event->position().x())));
    if (s)
        emit playRequested(m_data.recordings.value(s->recording), s->second);
}

void SpeedProfile::leaveEvent(QEvent*)
{
    if (!m_pointerX)
        return;
    m_pointerX.reset();
    m_pointerText.clear();
    update();
}

} // namespace archivewin
