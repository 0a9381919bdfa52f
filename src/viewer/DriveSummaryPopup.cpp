#include "viewer/DriveSummaryPopup.h"

#include "archivewindow/SpeedProfile.h"
#include "drive/DriveAnalysis.h"
#include "recording/PositionSentence.h"
#include "resources/BitmapButton.h"
#include "resources/Fonts.h"
#include "resources/Popup.h"
#include "resources/Strings.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QListWidget>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace {

constexpr double kKmhPerKnot = 1.852;
const QColor kValue(235, 235, 235);
// The play list's selection green, for the event playing.
const QColor kPlaying(170, 255, 75);

// Where the figures and the list stand in each form: over the video, and the narrower one
// beside it, whose smaller type and shorter lines (the event's recording and second go to its
// tooltip) leave the list its room.
struct Form
{
    QSize size;
    int figureTop;
    int figureStep;
    int labelLeft;
    int valueLeft;
    int figureSize; // tenths of a point
    QRect events;
    int eventsTitleAbove;
    int hintSize;
    QRect profile;
};

constexpr Form kFormOverVideo{{DriveSummaryPopup::kWidth, DriveSummaryPopup::kHeight}, 54, 24, 20,
    236, 110, DriveSummaryPopup::kEventList, 26, 90, {12, 522, DriveSummaryPopup::kWidth - 24, 128}};
constexpr Form kFormBesideVideo{DriveSummaryPopup::kBesideVideo.size(), 50, 19, 14, 176, 100,
    {14, 228, DriveSummaryPopup::kBesideVideo.width() - 28, 96}, 24, 80,
    {8, 348, DriveSummaryPopup::kBesideVideo.width() - 16, 86}};

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
    connect(m_close, &BitmapButton::clicked, this, &DriveSummaryPopup::reject);

    m_events = new QListWidget(this);
    m_events->setGeometry(kEventList);
    m_events->setFont(fonts::pointFont(100));
    m_events->setFocusPolicy(Qt::NoFocus);
    // The selection is the event playing, which the window sets; a click only asks for one.
    m_events->setSelectionMode(QAbstractItemView::SingleSelection);
    m_events->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_events->setStyleSheet(QStringLiteral(
        "QListWidget { background: %1; color: %2; border: 1px solid %3; }"
        "QListWidget::item { padding: 1px 4px; border: none; }"
        "QListWidget::item:hover { padding: 1px 4px; border: none; background: %4; color: white; }"
        "QListWidget::item:selected { padding: 1px 4px; border: none; background: %5; "
        "color: black; }")
                                .arg(popup::kFace.name(), popup::kLabel.name(),
                                    popup::kBoxFrame.name(), popup::kRule.name(), kPlaying.name()));
    connect(m_events, &QListWidget::itemClicked, this,
        [this](QListWidgetItem* item) { chooseEvent(m_events->row(item)); });
    m_profile = new archivewin::SpeedProfile(this);
    connect(m_profile, &archivewin::SpeedProfile::playRequested, this,
        &DriveSummaryPopup::secondChosen);
    layOut();
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
    for (size_t i = 0; i < drive.events.size(); ++i)
        m_events->addItem(QString());
    m_profile->setProfile(speedProfile(drive), speedUnit);
    layOut();
}

QStringList DriveSummaryPopup::eventLines() const
{
    QStringList lines;
    for (const drive::DriveEvent& event : m_drive.events)
        lines << eventLine(m_drive, event);
    return lines;
}

void DriveSummaryPopup::chooseEvent(int row)
{
    if (row >= 0 && row < int(m_drive.events.size()))
        emit eventChosen(row);
}

void DriveSummaryPopup::setPlayingEvent(int index)
{
    QListWidgetItem* item = m_events->item(index);
    if (!item) {
        m_events->clearSelection();
        return;
    }
    if (!item->isSelected()) {
        m_events->setCurrentItem(item, QItemSelectionModel::ClearAndSelect);
        m_events->scrollToItem(item);
    }
}

int DriveSummaryPopup::playingEvent() const
{
    const QList<QListWidgetItem*> selected = m_events->selectedItems();
    return selected.isEmpty() ? -1 : m_events->row(selected.first());
}

void DriveSummaryPopup::showOver(const QRect& ownerGeometry)
{
    m_beside = false;
    layOut();
    // Over the middle of the video area (24, 52, 640 x 480), where nothing else is read while
    // the popup stands.
    // As high as the window allows: the popup is taller than the video area.
    move(ownerGeometry.topLeft()
        + QPoint(24 + 320 - kWidth / 2, std::max(40, 52 + 240 - kHeight / 2 + 20)));
    show();
    raise();
}

void DriveSummaryPopup::showBeside(const QRect& ownerGeometry)
{
    m_beside = true;
    layOut();
    move(ownerGeometry.topLeft() + kBesideVideo.topLeft());
    show();
    raise();
}

void DriveSummaryPopup::layOut()
{
    const Form& form = m_beside ? kFormBesideVideo : kFormOverVideo;
    setFixedSize(form.size);
    m_close->setGeometry(form.size.width() - 52, 0, 45, 23);
    m_events->setGeometry(form.events);
    m_profile->setGeometry(form.profile);
    m_events->setFont(fonts::pointFont(m_beside ? 90 : 100));
    for (int row = 0; row < m_events->count() && size_t(row) < m_drive.events.size(); ++row) {
        const drive::DriveEvent& event = m_drive.events[size_t(row)];
        const QString line = eventLine(m_drive, event);
        QListWidgetItem* item = m_events->item(row);
        item->setText(m_beside ? line.section(QStringLiteral("   ("), 0, 0) : line);
        item->setToolTip(m_beside ? line : QString());
    }
    renderFace();
    update();
}

void DriveSummaryPopup::renderFace()
{
    const Form& form = m_beside ? kFormBesideVideo : kFormOverVideo;
    m_face = QImage(form.size, QImage::Format_RGB32);
    QPainter painter(&m_face);
    popup::drawFace(painter, m_face.size(), strings::kDriveSummary, form.size.width() - 11);
    int y = form.figureTop;
    for (const auto& [label, value] : m_figures) {
        popup::drawText(painter, {form.labelLeft, y}, label, popup::kLabel, form.figureSize);
        popup::drawText(painter, {form.valueLeft, y}, value, kValue, form.figureSize);
        y += form.figureStep;
    }
    popup::drawText(painter, {form.labelLeft, form.events.top() - form.eventsTitleAbove},
        QString(strings::kDriveEvents).arg(m_drive.events.size()), popup::kTitle, 120);
    popup::drawText(painter, {form.labelLeft, form.events.bottom() + 8}, strings::kDriveEventsHint,
        popup::kLabel, form.hintSize);
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
    // After a click on an event the popup has the keyboard, and the driver goes on with the
    // window's keys (N, Shift+N, Space): they are the window's.
    if (QWidget* owner = parentWidget()) {
        QCoreApplication::sendEvent(owner, event);
        return;
    }
    QDialog::keyPressEvent(event);
}

void DriveSummaryPopup::reject()
{
    hide();
}
