#include "viewer/DriveSummaryPopup.h"

#include "archivewindow/SpeedProfile.h"
#include "drive/DriveAnalysis.h"
#include "recording/PositionSentence.h"
#include "resources/BitmapButton.h"
#include "resources/Fonts.h"
#include "resources/Popup.h"
#include "resources/Strings.h"

#include <QFileInfo>
#include <QKeyEvent>
#include <QListWidget>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace {

constexpr double kKmhPerKnot = 1.852;
constexpr int kFigureTop = 54;
constexpr int kFigureStep = 24;
constexpr int kValueLeft = 236;
const QColor kValue(235, 235, 235);

QString dateTime(const QDateTime& time)
{
    return time.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

QString speed(double kmh, int unit)
{
    const QString label = unit == recording::MilesPerHour ? strings::kUnitMph
        : unit == recording::Knots                        ? strings::kUnitKnots
                                                          : strings::kUnitKmh;
    return QStringLiteral("%1 %2")
        .arg(qRound(recording::convertSpeed(kmh / kKmhPerKnot, unit)))
        .arg(label);
}

} // namespace

archivewin::ProfileData DriveSummaryPopup::speedProfile(const drive::DriveSummary& drive)
{
    archivewin::ProfileData data;
    data.start = drive.start;
    data.length = drive.durationSeconds;
    data.recordings = drive.recordings;
    for (const drive::SpeedSecond& s : drive.speeds)
        data.seconds.push_back({s.offset, s.speedKmh, s.recording, s.second});
    for (const drive::DriveEvent& e : drive.events) {
        const size_t k = size_t(e.recording);
        if (k < drive.recordingOffsets.size())
            data.events.push_back(
                {drive.recordingOffsets[k] + e.second, drive::eventKindName(e.kind)});
    }
    return data;
}

DriveSummaryPopup::DriveSummaryPopup(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint)
{
    setModal(false);
    setFixedSize(kWidth, kHeight);
    setWindowTitle(strings::kDriveSummary);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);

    m_close = new BitmapButton(1050, this);
    m_close->loadBitmaps(207, 209);
    m_close->setGeometry(kWidth - 52, 0, 45, 23);
    connect(m_close, &BitmapButton::clicked, this, &DriveSummaryPopup::reject);

    m_events = new QListWidget(this);
    m_events->setGeometry(kEventList);
    m_events->setFont(fonts::pointFont(100));
    m_events->setFocusPolicy(Qt::NoFocus);
    m_events->setSelectionMode(QAbstractItemView::NoSelection);
    m_events->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_events->setStyleSheet(QStringLiteral(
        "QListWidget { background: %1; color: %2; border: 1px solid %3; }"
        "QListWidget::item { padding: 1px 4px; border: none; }"
        "QListWidget::item:hover { padding: 1px 4px; border: none; background: %4; color: white; }")
                                .arg(popup::kFace.name(), popup::kLabel.name(),
                                    popup::kBoxFrame.name(), popup::kRule.name()));
    connect(m_events, &QListWidget::itemClicked, this,
        [this](QListWidgetItem* item) { chooseEvent(m_events->row(item)); });
    m_profile = new archivewin::SpeedProfile(this);
    m_profile->setGeometry(kProfile);
    connect(m_profile, &archivewin::SpeedProfile::playRequested, this,
        &DriveSummaryPopup::playRequested);
    renderFace();
}

DriveSummaryPopup::~DriveSummaryPopup() = default;

QString DriveSummaryPopup::kindName(drive::EventKind kind)
{
    switch (kind) {
    case drive::EventKind::Camera:
        return strings::kEventCamera;
    case drive::EventKind::Braking:
        return strings::kEventBraking;
    case drive::EventKind::Acceleration:
        return strings::kEventAcceleration;
    case drive::EventKind::Impact:
        return strings::kEventImpact;
    case drive::EventKind::Turn:
        return strings::kEventTurn;
    }
    return {};
}

QString DriveSummaryPopup::duration(qint64 seconds)
{
    const qint64 hours = seconds / 3600;
    const QString minutesSeconds = QStringLiteral("%1:%2")
                                       .arg((seconds / 60) % 60, hours ? 2 : 1, 10, QLatin1Char('0'))
                                       .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return hours ? QStringLiteral("%1:%2").arg(hours).arg(minutesSeconds) : minutesSeconds;
}

QString DriveSummaryPopup::eventLine(const drive::DriveSummary& drive, const drive::DriveEvent& event)
{
    QString line = event.time.toString(QStringLiteral("HH:mm:ss")) + QStringLiteral("   ")
        + kindName(event.kind);
    if (event.kind == drive::EventKind::Turn)
        line += QStringLiteral(" %1 %2").arg(event.strength, 0, 'f', 0).arg(strings::kUnitDegreesPerSecond);
    else if (event.kind != drive::EventKind::Camera)
        line += QStringLiteral(" %1 g").arg(event.strength, 0, 'f', 2);
    const QString recording = QFileInfo(drive.recordings.value(event.recording)).completeBaseName();
    return line + QStringLiteral("   (%1, %2)").arg(recording, duration(event.second));
}

void DriveSummaryPopup::setDrive(const drive::DriveSummary& drive, int speedUnit)
{
    m_drive = drive;
    m_figures = {
        {strings::kDriveStart, dateTime(drive.start)},
        {strings::kDriveEnd, dateTime(drive.end)},
        {strings::kDriveDuration, duration(drive.durationSeconds)},
        {strings::kDriveRecordings, QString::number(drive.recordings.size())},
        {strings::kDriveDistance,
            QStringLiteral("%1 %2").arg(drive.distanceKm, 0, 'f', 1).arg(strings::kKilometres)},
        {strings::kDriveMaxSpeed, speed(drive.maxSpeedKmh, speedUnit)},
        {strings::kDriveMeanSpeed, speed(drive.meanMovingSpeedKmh, speedUnit)},
        {strings::kDriveMovingStopped,
            duration(drive.movingSeconds) + QStringLiteral(" / ") + duration(drive.stoppedSeconds)},
    };
    m_events->clear();
    for (const drive::DriveEvent& event : drive.events)
        m_events->addItem(eventLine(drive, event));
    m_profile->setProfile(speedProfile(drive), speedUnit);
    renderFace();
    update();
}

QStringList DriveSummaryPopup::eventLines() const
{
    QStringList lines;
    for (int row = 0; row < m_events->count(); ++row)
        lines << m_events->item(row)->text();
    return lines;
}

void DriveSummaryPopup::chooseEvent(int row)
{
    if (row < 0 || row >= int(m_drive.events.size()))
        return;
    const drive::DrivePosition at = drive::eventPlayPosition(m_drive, m_drive.events[size_t(row)]);
    emit playRequested(m_drive.recordings.value(at.recording), at.second);
}

void DriveSummaryPopup::showOver(const QRect& ownerGeometry)
{
    // Over the middle of the video area (24, 52, 640 x 480), where nothing else is read while
    // the popup stands.
    move(ownerGeometry.topLeft()
        + QPoint(24 + 320 - kWidth / 2, std::max(40, 52 + 240 - kHeight / 2 + 20)));
    show();
    raise();
}

void DriveSummaryPopup::renderFace()
{
    m_face = QImage(kWidth, kHeight, QImage::Format_RGB32);
    QPainter painter(&m_face);
    popup::drawFace(painter, m_face.size(), strings::kDriveSummary, kWidth - 11);
    int y = kFigureTop;
    for (const auto& [label, value] : m_figures) {
        popup::drawText(painter, {20, y}, label, popup::kLabel, 110);
        popup::drawText(painter, {kValueLeft, y}, value, kValue, 110);
        y += kFigureStep;
    }
    popup::drawText(painter, {20, kEventList.top() - 26},
        QString(strings::kDriveEvents).arg(m_drive.events.size()), popup::kTitle, 120);
    popup::drawText(painter, {20, kEventList.bottom() + 8}, strings::kDriveEventsHint,
        popup::kLabel, 90);
}

void DriveSummaryPopup::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.drawImage(event->rect(), m_face, event->rect());
}

void DriveSummaryPopup::keyPressEvent(QKeyEvent* event)
{
    if (popup::closesDialog(event)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void DriveSummaryPopup::reject()
{
    hide();
}
