// The archive window's face, its filters, the calendar and the day's drives. The search and
// what a double-click plays are in ArchiveWindow_search.cpp.
#include "archivewindow/ArchiveWindow.h"

#include "archive/ArchiveQueries.h"
#include "archivewindow/ArchiveMapView.h"
#include "archivewindow/ArchiveThread.h"
#include "archivewindow/Thumbnails.h"
#include "resources/BitmapButton.h"
#include "resources/Fonts.h"
#include "resources/Popup.h"
#include "resources/Strings.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QTextCharFormat>
#include <QTreeWidget>

#include <algorithm>

namespace archivewin {

namespace {

constexpr QRect kCalendarRect{16, 82, 330, 220};
constexpr QRect kDayTitleRect{16, 308, 330, 20};
constexpr QRect kDriveListRect{16, 330, 330, 230};
constexpr QRect kMapRect{360, 112, 420, 448};
constexpr QRect kFoundTitleRect{792, 112, 212, 20};
constexpr QRect kResultRect{792, 134, 212, 426};
constexpr QRect kProfileRect{16, 572, 988, 172};
constexpr QRect kStatusRect{16, 750, 988, 22};
// The map draws a drive's route with about this many points: a line a few pixels wide.
constexpr size_t kRoutePoints = 2000;

const QColor kText(235, 235, 235);
const QColor kSelection(170, 255, 75);

// The face's colours for Qt's own widgets, so they sit on the dark skin.
QString houseStyle()
{
    QString sheet = QStringLiteral(
        "QWidget { color: TEXT; font-family: \"FAMILY\"; }"
        "QLabel { background: transparent; color: LABEL; }"
        "QComboBox, QDateEdit, QLineEdit, QSpinBox, QPushButton {"
        "  background: #141414; color: TEXT; border: 1px solid FRAME; padding: 1px 4px; }"
        "QComboBox:disabled, QDateEdit:disabled { color: #606060; }"
        "QPushButton:pressed { background: RULE; }"
        "QComboBox QAbstractItemView { background: #141414; color: TEXT;"
        "  selection-background-color: RULE; }"
        "QCheckBox { background: transparent; color: LABEL; }"
        "QTreeWidget, QListWidget { background: #0a0a0a; color: TEXT; border: 1px solid FRAME; }"
        "QTreeWidget::item:selected, QListWidget::item:selected { background: RULE;"
        "  color: SELECTION; }"
        "QHeaderView::section { background: #101010; color: LABEL; border: none;"
        "  border-right: 1px solid #303030; padding: 2px 4px; }"
        "QScrollBar { background: #101010; width: 12px; height: 12px; }"
        "QScrollBar::handle { background: #505050; }"
        "QCalendarWidget QAbstractItemView { background: #0a0a0a; color: TEXT;"
        "  selection-background-color: TITLE; selection-color: white; }"
        "QCalendarWidget QAbstractItemView:disabled { color: #505050; }"
        "QCalendarWidget QWidget#qt_calendar_navigationbar { background: #101010; }"
        "QCalendarWidget QToolButton { background: transparent; color: TEXT; border: none;"
        "  padding: 2px 6px; }"
        "QCalendarWidget QSpinBox { background: #141414; }");
    // Named, not numbered: the colours repeat, and a name says which is which.
    sheet.replace(QLatin1String("TEXT"), kText.name());
    sheet.replace(QLatin1String("LABEL"), popup::kLabel.name());
    sheet.replace(QLatin1String("FRAME"), popup::kBoxFrame.name());
    sheet.replace(QLatin1String("RULE"), popup::kRule.name());
    sheet.replace(QLatin1String("TITLE"), popup::kTitle.name());
    sheet.replace(QLatin1String("SELECTION"), kSelection.name());
    sheet.replace(QLatin1String("FAMILY"), fonts::family());
    return sheet;
}

QLabel* label(const QString& text, const QRect& place, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setGeometry(place);
    return l;
}

std::vector<MapPlace> thinned(const std::vector<archive::TrackPoint>& track)
{
    std::vector<MapPlace> route;
    const size_t step = std::max<size_t>(1, (track.size() + kRoutePoints - 1) / kRoutePoints);
    for (size_t i = 0; i < track.size(); i += step)
        route.push_back({track[i].latitude, track[i].longitude});
    if (!track.empty() && (track.size() - 1) % step != 0)
        route.push_back({track.back().latitude, track.back().longitude});
    return route;
}

qint64 dayStart(const QDate& day)
{
    // The camera's clock counted as if it were UTC, as the archive keeps it.
    return QDateTime(day, QTime(0, 0), Qt::UTC).toSecsSinceEpoch();
}

} // namespace

QString kindText(const QString& kind)
{
    if (kind == QLatin1String("camera"))
        return strings::kEventCamera;
    if (kind == QLatin1String("braking"))
        return strings::kEventBraking;
    if (kind == QLatin1String("acceleration"))
        return strings::kEventAcceleration;
    if (kind == QLatin1String("impact"))
        return strings::kEventImpact;
    if (kind == QLatin1String("turn"))
        return strings::kEventTurn;
    return kind;
}

ArchiveWindow::ArchiveWindow(const ArchiveLocation& location, QWebEngineProfile* profile,
    const QString& pagePath, const QString& tiles, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
    , m_location(location)
    , m_thread(std::make_unique<ArchiveThread>(location))
    , m_pictures(std::make_unique<ArchiveThread>(location, false))
    , m_cache(std::make_shared<ThumbnailCache>())
{
    setObjectName(QStringLiteral("archiveWindow"));
    setWindowTitle(strings::kArchiveTitle);
    setFixedSize(kWidth, kHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setStyleSheet(houseStyle());
    createControls();
    m_map = new ArchiveMapView(profile, pagePath, tiles, this);
    m_map->setGeometry(kMapRect);
    bindMessageMap();
    renderFace();
    openArchive();
}

ArchiveWindow::~ArchiveWindow()
{
    // The workers first: their jobs read this window's search serial until they end.
    m_pictures.reset();
    m_thread.reset();
}

void ArchiveWindow::createControls()
{
    m_close = new BitmapButton(1050, this);
    m_close->loadBitmaps(207, 209);
    m_close->setGeometry(kWidth - 52, 0, 45, 23);
    createFilters();
    createLists();
    m_profile = new SpeedProfile(this);
    m_profile->setGeometry(kProfileRect);
    m_status = label(strings::kArchiveHint, kStatusRect, this);
    m_status->setObjectName(QStringLiteral("status"));
}

void ArchiveWindow::createFilters()
{
    label(strings::kArchiveVehicle, {16, 48, 64, 24}, this);
    m_vehicle = new QComboBox(this);
    m_vehicle->setObjectName(QStringLiteral("vehicle"));
    m_vehicle->setGeometry(82, 48, 130, 24);
    m_vehicle->addItem(strings::kArchiveAll, QString());
    label(strings::kArchiveEvents, {226, 48, 70, 24}, this);
    m_kind = new QComboBox(this);
    m_kind->setObjectName(QStringLiteral("kind"));
    m_kind->setGeometry(298, 48, 150, 24);
    m_kind->addItem(strings::kArchiveAll, QString());
    for (const auto& [name, text] :
        std::initializer_list<std::pair<const char*, QString>>{{"camera", strings::kEventCamera},
            {"braking", strings::kEventBraking}, {"acceleration", strings::kEventAcceleration},
            {"impact", strings::kEventImpact}, {"turn", strings::kEventTurn}})
        m_kind->addItem(text, QString::fromLatin1(name));
    m_useDates = new QCheckBox(strings::kArchiveDates, this);
    m_useDates->setObjectName(QStringLiteral("useDates"));
    m_useDates->setGeometry(464, 48, 76, 24);
    m_from = new QDateEdit(QDate::currentDate().addMonths(-1), this);
    m_from->setObjectName(QStringLiteral("from"));
    m_from->setGeometry(542, 48, 110, 24);
    m_from->setCalendarPopup(true);
    m_from->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    label(QStringLiteral("–"), {656, 48, 12, 24}, this);
    m_to = new QDateEdit(QDate::currentDate(), this);
    m_to->setObjectName(QStringLiteral("to"));
    m_to->setGeometry(670, 48, 110, 24);
    m_to->setCalendarPopup(true);
    m_to->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    m_from->setEnabled(false);
    m_to->setEnabled(false);

    label(strings::kArchivePlace, {360, 82, 56, 24}, this);
    m_place = new QLineEdit(this);
    m_place->setObjectName(QStringLiteral("place"));
    m_place->setGeometry(418, 82, 190, 24);
    m_place->setPlaceholderText(strings::kArchivePlaceHint);
    label(strings::kArchiveRadius, {616, 82, 84, 24}, this);
    m_radius = new QSpinBox(this);
    m_radius->setObjectName(QStringLiteral("radius"));
    m_radius->setGeometry(700, 82, 80, 24);
    m_radius->setRange(10, 20000);
    m_radius->setSingleStep(50);
    m_radius->setValue(100);
    m_searchButton = new QPushButton(strings::kArchiveSearch, this);
    m_searchButton->setObjectName(QStringLiteral("search"));
    m_searchButton->setGeometry(792, 82, 100, 24);
}

void ArchiveWindow::createLists()
{
    m_calendar = new QCalendarWidget(this);
    m_calendar->setGeometry(kCalendarRect);
    m_calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    m_calendar->setFirstDayOfWeek(Qt::Monday);
    m_calendar->setGridVisible(false);
    // The header row and the weekend are drawn by formats, which a style sheet does not reach.
    QTextCharFormat header;
    header.setBackground(QColor(16, 16, 16));
    header.setForeground(popup::kLabel);
    m_calendar->setHeaderTextFormat(header);
    QTextCharFormat weekend;
    weekend.setForeground(QColor(0xF0, 0x5A, 0x4B));
    for (Qt::DayOfWeek day : {Qt::Saturday, Qt::Sunday})
        m_calendar->setWeekdayTextFormat(day, weekend);
    m_dayTitle = label(QString(), kDayTitleRect, this);
    m_drives = new QTreeWidget(this);
    m_drives->setObjectName(QStringLiteral("drives"));
    m_drives->setGeometry(kDriveListRect);
    m_drives->setRootIsDecorated(false);
    m_drives->setUniformRowHeights(true);
    m_drives->setHeaderLabels({strings::kDriveStart, strings::kDriveEnd, strings::kArchiveDistance,
        strings::kArchiveEvents, strings::kArchiveVehicle});
    m_drives->header()->setStretchLastSection(true);
    m_drives->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (int c : {0, 1})
        m_drives->setColumnWidth(c, 64);
    m_drives->setColumnWidth(2, 44);
    m_drives->setColumnWidth(3, 62);
    m_foundTitle = label(QString(), kFoundTitleRect, this);
    m_results = new QListWidget(this);
    m_results->setObjectName(QStringLiteral("found"));
    m_results->setGeometry(kResultRect);
    m_results->setIconSize(kThumbnailSize);
    m_results->setSpacing(2);
    m_results->setUniformItemSizes(true);
}

void ArchiveWindow::bindMessageMap()
{
    connect(m_close, &BitmapButton::clicked, this, &QWidget::close);
    connect(m_vehicle, &QComboBox::currentIndexChanged, this, &ArchiveWindow::onFiltersChanged);
    connect(m_kind, &QComboBox::currentIndexChanged, this, [this] { showDriveOnMap(); });
    connect(m_useDates, &QCheckBox::toggled, this, [this](bool on) {
        m_from->setEnabled(on);
        m_to->setEnabled(on);
    });
    connect(m_calendar, &QCalendarWidget::currentPageChanged, this, &ArchiveWindow::requestMonth);
    connect(m_calendar, &QCalendarWidget::clicked, this, &ArchiveWindow::chooseDay);
    connect(m_drives, &QTreeWidget::currentItemChanged, this,
        [this] { chooseDrive(m_drives->indexOfTopLevelItem(m_drives->currentItem())); });
    connect(m_drives, &QTreeWidget::itemDoubleClicked, this,
        [this](QTreeWidgetItem* item) { playDrive(m_drives->indexOfTopLevelItem(item)); });
    connect(m_results, &QListWidget::itemDoubleClicked, this,
        [this](QListWidgetItem* item) { playFound(m_results->row(item)); });
    connect(m_searchButton, &QPushButton::clicked, this,
        [this] { searchTyped(m_place->text(), m_radius->value()); });
    connect(m_place, &QLineEdit::returnPressed, this,
        [this] { searchTyped(m_place->text(), m_radius->value()); });
    connect(m_map, &ArchiveMapView::searchAsked, this, &ArchiveWindow::search);
    connect(m_map, &ArchiveMapView::markChosen, this, &ArchiveWindow::onMarkChosen);
    connect(m_map, &ArchiveMapView::playAsked, this, &ArchiveWindow::onMapPlay);
    connect(m_profile, &SpeedProfile::playRequested, this, &ArchiveWindow::onProfilePlay);
}

void ArchiveWindow::renderFace()
{
    m_face = QImage(kWidth, kHeight, QImage::Format_RGB32);
    QPainter painter(&m_face);
    popup::drawFace(painter, m_face.size(), strings::kArchiveTitle, kWidth - 60);
}

void ArchiveWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, m_face);
}

void ArchiveWindow::keyPressEvent(QKeyEvent* event)
{
    // Escape closes this window, as the close button does; Enter belongs to the field it is
    // typed in.
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    if (popup::closesDialog(event)) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ArchiveWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && event->position().y() < kDragStrip) {
        m_movingWindow = true;
        m_moveOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
    }
}

void ArchiveWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (m_movingWindow)
        move(event->globalPosition().toPoint() - m_moveOffset);
}

void ArchiveWindow::mouseReleaseEvent(QMouseEvent*)
{
    m_movingWindow = false;
}

void ArchiveWindow::showOver(const QRect& mainGeometry)
{
    if (!isVisible())
        move(mainGeometry.topLeft() + QPoint(30, 30));
    show();
    raise();
    activateWindow();
}

QString ArchiveWindow::statusText() const
{
    return m_status->text();
}

void ArchiveWindow::setStatus(const QString& text)
{
    m_status->setText(text.isEmpty() ? QString(strings::kArchiveHint) : text);
}

void ArchiveWindow::started()
{
    ++m_pending;
}

void ArchiveWindow::finished()
{
    --m_pending;
    emit answered();
}

QString ArchiveWindow::vehicle() const
{
    return m_vehicle->currentData().toString();
}

QStringList ArchiveWindow::eventKinds() const
{
    const QString kind = m_kind->currentData().toString();
    return kind.isEmpty() ? QStringList() : QStringList{kind};
}

std::optional<std::pair<qint64, qint64>> ArchiveWindow::dateRange() const
{
    if (!m_useDates->isChecked())
        return std::nullopt;
    const QDate from = std::min(m_from->date(), m_to->date());
    const QDate to = std::max(m_from->date(), m_to->date());
    return std::make_pair(dayStart(from), dayStart(to.addDays(1)));
}

void ArchiveWindow::onFiltersChanged()
{
    requestMonth(m_calendar->yearShown(), m_calendar->monthShown());
    if (m_day.isValid())
        chooseDay(m_day);
}

void ArchiveWindow::setSpeedUnit(int unit)
{
    if (unit == m_speedUnit)
        return;
    m_speedUnit = unit;
    m_profile->setProfile(m_profile->profile(), unit);
}

void ArchiveWindow::reload()
{
    openArchive();
}

void ArchiveWindow::openArchive()
{
    started();
    const QString vehicle = this->vehicle();
    m_thread->run([this, vehicle](const archive::Archive* a, const QString& openError) {
        QString error = openError;
        QStringList names;
        std::optional<qint64> latest;
        if (a) {
            names = archive::vehicles(*a, &error);
            latest = archive::latestDriveStart(*a, vehicle, &error);
        }
        ArchiveThread::answer(this, [this, names, latest, error, ok = a != nullptr] {
            finished();
            if (!ok) {
                setStatus(QString(strings::kArchiveCannotOpen).arg(error));
                return;
            }
            const QString chosen = this->vehicle();
            m_vehicle->blockSignals(true);
            while (m_vehicle->count() > 1)
                m_vehicle->removeItem(1);
            for (const QString& name : names)
                m_vehicle->addItem(name, name);
            m_vehicle->setCurrentIndex(std::max(0, m_vehicle->findData(chosen)));
            m_vehicle->blockSignals(false);
            // The latest drive's day, unless the user is looking at one already.
            const QDate day = m_day.isValid() ? m_day
                : latest ? QDateTime::fromSecsSinceEpoch(*latest, Qt::UTC).date()
                         : QDate::currentDate();
            m_calendar->setCurrentPage(day.year(), day.month());
            requestMonth(day.year(), day.month());
            chooseDay(day);
        });
    });
}

void ArchiveWindow::requestMonth(int year, int month)
{
    const int serial = ++m_monthSerial;
    const QString vehicle = this->vehicle();
    started();
    m_thread->run([this, serial, year, month, vehicle](
                      const archive::Archive* a, const QString& openError) {
        std::vector<QDate> days;
        QString error = openError;
        if (a)
            archive::driveDays(*a, year, month, vehicle, &days, &error);
        ArchiveThread::answer(this, [this, serial, days, error] { onMonth(serial, days, error); });
    });
}

void ArchiveWindow::onMonth(int serial, const std::vector<QDate>& days, const QString& error)
{
    finished();
    if (serial != m_monthSerial)
        return;
    if (!error.isEmpty() && days.empty())
        setStatus(QString(strings::kArchiveCannotOpen).arg(error));
    m_markedDays = days;
    markDays();
}

void ArchiveWindow::markDays()
{
    m_calendar->setDateTextFormat(QDate(), QTextCharFormat());
    QTextCharFormat marked;
    marked.setBackground(popup::kRule);
    marked.setForeground(kSelection);
    marked.setFontWeight(QFont::Bold);
    for (const QDate& day : m_markedDays)
        m_calendar->setDateTextFormat(day, marked);
}

void ArchiveWindow::chooseDay(const QDate& day)
{
    if (!day.isValid())
        return;
    m_day = day;
    if (m_calendar->selectedDate() != day)
        m_calendar->setSelectedDate(day);
    m_dayTitle->setText(
        QString(strings::kArchiveDrivesOfDay).arg(day.toString(QStringLiteral("dd.MM.yyyy"))));
    const int serial = ++m_daySerial;
    archive::DriveFilter filter;
    filter.from = dayStart(day);
    filter.to = dayStart(day.addDays(1));
    filter.vehicle = vehicle();
    started();
    m_thread->run([this, serial, day, filter](const archive::Archive* a, const QString& openError) {
        std::vector<archive::DriveRow> drives;
        QString error = openError;
        if (a)
            archive::drives(*a, filter, &drives, &error);
        ArchiveThread::answer(
            this, [this, serial, day, drives, error] { onDay(serial, day, drives, error); });
    });
}

void ArchiveWindow::onDay(int serial, const QDate& day,
    const std::vector<archive::DriveRow>& drives, const QString& error)
{
    finished();
    if (serial != m_daySerial)
        return;
    m_dayDrives = drives;
    m_drives->blockSignals(true);
    m_drives->clear();
    const QString time = QStringLiteral("HH:mm:ss");
    for (const archive::DriveRow& d : drives) {
        auto* item = new QTreeWidgetItem(m_drives,
            {QDateTime::fromSecsSinceEpoch(d.cameraStart, Qt::UTC).toString(time),
                QDateTime::fromSecsSinceEpoch(d.cameraEnd, Qt::UTC).toString(time),
                QString::number(d.distanceKm, 'f', 1), QString::number(d.events), d.vehicle});
        for (int c : {2, 3})
            item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    }
    m_drives->blockSignals(false);
    if (!error.isEmpty())
        setStatus(QString(strings::kArchiveCannotOpen).arg(error));
    if (drives.empty()) {
        m_dayTitle->setText(
            QString(strings::kArchiveDrivesOfDay).arg(day.toString(QStringLiteral("dd.MM.yyyy")))
            + QStringLiteral(": ") + strings::kArchiveNoDrives);
        m_shown.reset();
        m_profile->clear();
        m_map->showDrives({}, {}, false);
        return;
    }
    m_drives->setCurrentItem(m_drives->topLevelItem(0));
    chooseDrive(0);
}

void ArchiveWindow::chooseDrive(int row)
{
    if (row < 0 || row >= int(m_dayDrives.size()))
        return;
    const archive::DriveRow chosen = m_dayDrives[size_t(row)];
    if (m_drives->currentItem() != m_drives->topLevelItem(row)) {
        m_drives->blockSignals(true);
        m_drives->setCurrentItem(m_drives->topLevelItem(row));
        m_drives->blockSignals(false);
    }
    const int serial = ++m_driveSerial;
    started();
    m_thread->run([this, serial, chosen](const archive::Archive* a, const QString& openError) {
        DriveDetail detail;
        detail.row = chosen;
        QString error = openError;
        if (a) {
            detail.recordings = archive::driveRecordings(*a, chosen.id, &error);
            archive::driveTrack(*a, chosen.id, &detail.track, &error);
            archive::driveEvents(*a, chosen.id, &detail.events, &error);
        }
        ArchiveThread::answer(
            this, [this, serial, detail, error] { onDrive(serial, detail, error); });
    });
}

void ArchiveWindow::onDrive(int serial, const DriveDetail& detail, const QString& error)
{
    finished();
    if (serial != m_driveSerial)
        return;
    if (!error.isEmpty())
        setStatus(QString(strings::kArchiveCannotOpen).arg(error));
    m_shown = detail;
    ProfileData data;
    data.start = QDateTime::fromSecsSinceEpoch(detail.row.cameraStart, Qt::UTC);
    data.length = std::max<qint64>(1, detail.row.cameraEnd - detail.row.cameraStart);
    data.recordings = detail.recordings;
    for (const archive::TrackPoint& p : detail.track) {
        const int recording = int(detail.recordings.indexOf(p.recording));
        data.seconds.push_back({p.offset, p.speedKmh, std::max(0, recording), p.second});
    }
    for (const archive::EventRow& e : detail.events)
        data.events.push_back({e.cameraTime - detail.row.cameraStart, e.kind});
    m_profile->setProfile(data, m_speedUnit);
    showDriveOnMap();
}

void ArchiveWindow::showDriveOnMap()
{
    if (!m_shown)
        return;
    // The chosen drive over the day's: its route again on top, and its events of the kind
    // the filter lets through.
    const QStringList kinds = eventKinds();
    std::vector<MapMark> marks;
    for (size_t i = 0; i < m_shown->events.size(); ++i) {
        const archive::EventRow& e = m_shown->events[i];
        if (!kinds.isEmpty() && !kinds.contains(e.kind))
            continue;
        // Where the vehicle was at the event: the track's second.
        for (const archive::TrackPoint& p : m_shown->track) {
            if (p.recording == e.recording && p.second == e.second) {
                marks.push_back({{p.latitude, p.longitude}, int(i),
                    QDateTime::fromSecsSinceEpoch(e.cameraTime, Qt::UTC)
                            .toString(QStringLiteral("HH:mm:ss "))
                        + kindText(e.kind),
                    e.kind});
                break;
            }
        }
    }
    m_map->showDrives({thinned(m_shown->track)}, marks, true);
}

} // namespace archivewin
