#pragma once

#include "archive/ArchiveTypes.h"
#include "archivewindow/ArchiveLocation.h"
#include "archivewindow/SpeedProfile.h"

#include <QDate>
#include <QImage>
#include <QWidget>

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

class BitmapButton;
class QCalendarWidget;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTreeWidget;
class QWebEngineProfile;

namespace archivewin {

class ArchiveMapView;
class ArchiveThread;
class ThumbnailCache;

// An event kind as drive::eventKindName() names it, in the user's language.
QString kindText(const QString& kind);

// One drive as the window shows it once chosen: its figures, its seconds and events.
struct DriveDetail
{
    archive::DriveRow row;
    QStringList recordings; // absolute, in time order
    std::vector<archive::TrackPoint> track;
    std::vector<archive::EventRow> events;
};

// The archive window: a top-level window of its own, never modal, on the popups' dark face.
// Left, a month's calendar with the days that hold drives marked and the chosen day's drives;
// right, the map with the chosen drives' routes and events, where a click (or typed
// coordinates) searches for every pass within a radius, listed with a picture of that second;
// below, the chosen drive's speed profile. Filters narrow it all to a vehicle, an event kind
// and dates. Whatever is double-clicked is asked to be played through playRequested(); the
// window knows nothing of the player. Every question to the archive runs on a worker thread of
// the window's own; the GUI thread only shows the answers.
class ArchiveWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kWidth = 1020;
    static constexpr int kHeight = 780;
    static constexpr int kDragStrip = 35;
    // The moment a double-click plays is seen from this many seconds before.
    static constexpr int kLeadSeconds = 5;

    // `profile` and `pagePath`: the main window's map browser profile and page, so both maps
    // share their tiles; `tiles` the tile source the main map uses.
    ArchiveWindow(const ArchiveLocation& location, QWebEngineProfile* profile,
        const QString& pagePath, const QString& tiles, QWidget* parent = nullptr);
    ~ArchiveWindow() override;

    // Shown over the main window as it stands now, and brought to the front.
    void showOver(const QRect& mainGeometry);
    // The archive changed (an import ended): the month, the day and the vehicles are read again.
    void reload();
    // Speeds in the unit of the viewer settings (0 km/h, 1 mph, 2 knots).
    void setSpeedUnit(int unit);

    // What the window shows, for checks.
    QCalendarWidget* calendar() const { return m_calendar; }
    QTreeWidget* driveList() const { return m_drives; }
    QListWidget* resultList() const { return m_results; }
    SpeedProfile* profile() const { return m_profile; }
    ArchiveMapView* mapView() const { return m_map; }
    QString statusText() const;
    const std::vector<QDate>& markedDays() const { return m_markedDays; }
    const std::vector<archive::DriveRow>& dayDrives() const { return m_dayDrives; }
    const std::vector<archive::Moment>& found() const { return m_found; }
    const std::optional<DriveDetail>& shownDrive() const { return m_shown; }
    // Answers still awaited from the worker threads.
    int pending() const { return m_pending; }

    // What the user does, as the widgets do it (tests come through here as through the mouse).
    void chooseDay(const QDate& day);
    void chooseDrive(int row);
    void search(double latitude, double longitude, double radiusMetres);
    // Typed coordinates: false (and a hint in the status line) when they are not a place.
    bool searchTyped(const QString& place, double radiusMetres);
    void playFound(int row);
    void playDrive(int row);
    void playEvent(int index);

    // "55.7512, 37.6184", "55.7512 37.6184" or "55,7512; 37,6184": a place on the globe.
    static std::optional<std::pair<double, double>> parsePlace(const QString& text);

signals:
    // Play `recording` from `second`, with the recordings of its drive in the play list.
    void playRequested(const QStringList& driveRecordings, const QString& recording, double second);
    // An answer has been shown (tests wait for it).
    void answered();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void createControls();
    void createFilters();
    void createLists();
    void bindMessageMap();
    void renderFace();
    void setStatus(const QString& text);

    // The filters as they stand.
    QString vehicle() const;
    QStringList eventKinds() const;
    std::optional<std::pair<qint64, qint64>> dateRange() const;
    void onFiltersChanged();

    // The calendar and the day (ArchiveWindow.cpp).
    void openArchive();
    void requestMonth(int year, int month);
    void onMonth(int serial, const std::vector<QDate>& days, const QString& error);
    void onDay(int serial, const QDate& day, const std::vector<archive::DriveRow>& drives,
        const QString& error);
    void onDrive(int serial, const DriveDetail& detail, const QString& error);
    void showDriveOnMap();
    void markDays();

    // The search and playing (ArchiveWindow_search.cpp).
    void onFound(int serial, const std::vector<archive::Moment>& moments,
        const std::vector<QImage>& pictures, const QString& error);
    void requestPictures(int serial);
    void onPicture(int serial, int row, const QImage& picture);
    void onMarkChosen(const QString& what, int id);
    void onMapPlay(const QString& what, int id);
    void onProfilePlay(const QString& recording, double second);
    // Plays the moment of a drive: its recordings are asked of the archive first.
    void playMoment(qint64 drive, const QString& recording, double second);
    void started();
    void finished();

    ArchiveLocation m_location;
    std::unique_ptr<ArchiveThread> m_thread; // the archive's questions
    std::unique_ptr<ArchiveThread> m_pictures; // decoding thumbnails
    std::shared_ptr<ThumbnailCache> m_cache;

    BitmapButton* m_close = nullptr;
    QComboBox* m_vehicle = nullptr;
    QComboBox* m_kind = nullptr;
    QCheckBox* m_useDates = nullptr;
    QDateEdit* m_from = nullptr;
    QDateEdit* m_to = nullptr;
    QLineEdit* m_place = nullptr;
    QSpinBox* m_radius = nullptr;
    QPushButton* m_searchButton = nullptr;
    QCalendarWidget* m_calendar = nullptr;
    QLabel* m_dayTitle = nullptr;
    QTreeWidget* m_drives = nullptr;
    ArchiveMapView* m_map = nullptr;
    QLabel* m_foundTitle = nullptr;
    QListWidget* m_results = nullptr;
    SpeedProfile* m_profile = nullptr;
    QLabel* m_status = nullptr;
    QImage m_face;

    // Each question takes a serial; an answer to one that a later question replaced is dropped.
    int m_monthSerial = 0;
    int m_daySerial = 0;
    int m_driveSerial = 0;
    int m_searchSerial = 0;
    // The latest search's serial as the pictures' thread reads it.
    std::atomic<int> m_searchSerialSeen{0};
    int m_pending = 0;
    int m_speedUnit = 0;

    std::vector<QDate> m_markedDays;
    QDate m_day;
    std::vector<archive::DriveRow> m_dayDrives;
    std::optional<DriveDetail> m_shown;
    std::vector<archive::Moment> m_found;

    bool m_movingWindow = false;
    QPoint m_moveOffset;
};

} // namespace archivewin
