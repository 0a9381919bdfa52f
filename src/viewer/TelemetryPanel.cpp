#include "viewer/TelemetryPanel.h"

#include "resources/Fonts.h"
#include "resources/Skin.h"
#include "resources/Strings.h"
#include "viewer/BackBuffer.h"

#include <QFontMetrics>
#include <QPainter>

#include <cmath>
#include <cstring>

namespace {

constexpr QColor kNeedleColour(0x18, 0x3E, 0x65);
constexpr int kNeedleWidth = 3;
constexpr int kPositionFont = 120; // tenths of a point
constexpr int kNoInternetFont = 140;
constexpr int kNoInternetHeight = 80;

void drawText(BackBuffer& buffer, QPoint topLeft, const QString& text, const QFont& font,
    const QColor& colour)
{
    QPainter painter(&buffer.image());
    painter.setFont(font);
    painter.setPen(colour);
    const QRect area(topLeft, QSize(buffer.image().width(), buffer.image().height()));
    painter.drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

} // namespace

bool TelemetryPanel::timeUpdate(BackBuffer& buffer, std::string_view positionText)
{
    buffer.restoreAndInvalidate(kPanelArea);
    m_digitsShown = -1;
    if (!recording::isPositionSentence(positionText))
        return false;
    m_record = recording::parsePositionSentence(positionText);
    return true;
}

std::optional<TelemetryPanel::MapFix> TelemetryPanel::timerTick(
    BackBuffer& buffer, bool online, bool hasTelemetry)
{
    std::optional<MapFix> fix;
    if (online) {
        fix = mapFix(m_record);
        clearNoInternet(buffer);
    } else {
        drawNoInternet(buffer);
    }
    if (hasTelemetry) {
        drawPositionLines(buffer);
        int lastValid = m_lastValidSpeed;
        if (recording::displayedSpeed(m_record, m_unit, lastValid) != m_digitsShown)
            drawSpeedDigits(buffer);
    }
    return fix;
}

void TelemetryPanel::forgetRecording(BackBuffer& buffer)
{
    m_record = {};
    m_lastValidSpeed = 0;
    if (!m_linesShown.isEmpty())
        buffer.restoreAndInvalidate(kPositionArea);
    m_linesShown.clear();
    m_digitsShown = -1;
}

void TelemetryPanel::forgetShown()
{
    m_noInternetArea = {};
    m_digitsShown = -1;
    m_linesShown.clear();
}

void TelemetryPanel::drawUnitLabel(BackBuffer& buffer) const
{
    const int unit = m_unit >= 0 && m_unit <= 2 ? m_unit : 0;
    QPainter painter(&buffer.image());
    painter.drawImage(kUnitLabelArea.topLeft(), skin::bitmap(kFirstUnitBitmap + unit));
    buffer.invalidate(kUnitLabelArea);
}

QPoint TelemetryPanel::needleEnd(double course)
{
    const double a = (std::isfinite(course) ? course - 90 : -90) * 0.017453292519943295;
    const int dx = int(std::cos(a) * kNeedleLength);
    const int dy = int(std::sin(a) * kNeedleLength);
    return kCompassCentre + QPoint(dx, dy);
}

void TelemetryPanel::drawNeedle(BackBuffer& buffer) const
{
    QPainter painter(&buffer.image());
    painter.setPen(QPen(kNeedleColour, kNeedleWidth, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(kCompassCentre, needleEnd(m_record.course));
    const int reach = kNeedleLength + kNeedleWidth;
    buffer.invalidate(
        QRect(kCompassCentre - QPoint(reach, reach), QSize(2 * reach, 2 * reach) + QSize(1, 1)));
}

void TelemetryPanel::drawSpeedDigits(BackBuffer& buffer)
{
    const int value = recording::displayedSpeed(m_record, m_unit, m_lastValidSpeed);
    // Speeds of 1000 and more peg at 999 (see speedDigits).
    const std::array<int, 3> digits = recording::speedDigits(value);
    buffer.restore(kDigitsArea);
    QPainter painter(&buffer.image());
    for (int i = 0; i < 3; ++i)
        painter.drawImage(
            QPoint(kDigitLeft[i], kDigitsTop), skin::bitmap(kFirstDigitBitmap + digits[i]));
    buffer.invalidate(kDigitsArea);
    m_digitsShown = value;
}

void TelemetryPanel::drawPositionLines(BackBuffer& buffer)
{
    if (!recording::hasPosition(m_record))
        return;
    const QString latitude = recording::latitudeLine(m_record.latitude);
    const QString longitude = recording::longitudeLine(m_record.longitude);
    const QString lines = latitude + QLatin1Char('\n') + longitude;
    if (lines == m_linesShown)
        return;
    m_linesShown = lines;
    buffer.restore(kPositionArea);
    const QFont font = fonts::pointFont(kPositionFont);
    drawText(buffer, kLatitudeAt, latitude, font, Qt::black);
    drawText(buffer, kLongitudeAt, longitude, font, Qt::black);
    buffer.invalidate(kPositionArea);
}

void TelemetryPanel::drawNoInternet(BackBuffer& buffer)
{
    // Drawn once while off line; a second pass would thicken its anti-aliased edges, and a
    // screen update every tick for a text that stands still is no use.
    if (noInternetShown())
        return;
    const QString text = strings::text(121);
    const QFont font = fonts::pointFont(kNoInternetFont);
    const int half = QFontMetrics(font).horizontalAdvance(text) / 2;
    drawText(
        buffer, QPoint(kNoInternetCentreX - half, kNoInternetTop), text, font, QColor(255, 0, 0));
    m_noInternetArea = QRect(QPoint(kNoInternetCentreX - half - 5, kNoInternetTop),
        QPoint(kNoInternetCentreX + half, kNoInternetTop + kNoInternetHeight) - QPoint(1, 1));
    buffer.invalidate(m_noInternetArea);
}

void TelemetryPanel::clearNoInternet(BackBuffer& buffer)
{
    if (m_noInternetArea.isEmpty())
        return;
    buffer.restoreAndInvalidate(m_noInternetArea);
    m_noInternetArea = {};
}

std::optional<TelemetryPanel::MapFix> TelemetryPanel::mapFix(
    const recording::TelemetryRecord& record)
{
    // Receivers report placeholders such as 360° or 90°N before their first fix; only a
    // position on the globe can be shown.
    if (std::strcmp(record.statusText, "A") != 0 || !recording::hasPosition(record)
        || !(std::fabs(record.latitude) <= 90) || !(std::fabs(record.longitude) <= 180))
        return std::nullopt;
    return MapFix{record.latitude, record.longitude};
}
