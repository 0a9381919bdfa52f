#pragma once

#include <QDateTime>
#include <QStringList>
#include <QWidget>

#include <optional>
#include <vector>

// A drive's speed over time: the line of its seconds with a fix, its events marked, its stops
// shaded, and under the pointer the time and speed of that second. A click asks to play that
// second. The archive window and the drive summary show the same widget.
namespace archivewin {

struct ProfileSecond
{
    qint64 offset = 0; // seconds from the drive's start
    double speedKmh = 0;
    int recording = 0; // index into ProfileData::recordings
    int second = 0; // within that recording
};

struct ProfileMark
{
    qint64 offset = 0;
    QString kind; // as drive::eventKindName() names it
};

struct ProfileData
{
    QDateTime start; // the camera's clock at offset 0
    qint64 length = 0; // seconds
    QStringList recordings;
    std::vector<ProfileSecond> seconds; // in time order; seconds without a fix are left out
    std::vector<ProfileMark> events;
};

struct ProfileStop
{
    qint64 from = 0; // offsets, `to` exclusive
    qint64 to = 0;
};

class SpeedProfile : public QWidget
{
    Q_OBJECT
public:
    // Below this the vehicle stands, as the drive's summary counts it.
    static constexpr double kStandingKmh = 5;
    // A stop is shaded from this many standing seconds on: a halt at a crossing is one.
    static constexpr int kStopSeconds = 5;

    explicit SpeedProfile(QWidget* parent = nullptr);

    // Speeds shown in the unit of the viewer settings (0 km/h, 1 mph, 2 knots).
    void setProfile(const ProfileData& data, int speedUnit = 0);
    void clear();
    const ProfileData& profile() const { return m_data; }

    // What the widget shows, for checks: the speed of the second at an offset (in the unit
    // shown; nothing where there was no fix), the stops, the pointer's text.
    std::optional<double> speedAt(qint64 offset) const;
    const std::vector<ProfileStop>& stops() const { return m_stops; }
    QString pointerText() const { return m_pointerText; }
    // Where an offset lies on the widget, and the other way round.
    int xOf(qint64 offset) const;
    qint64 offsetAt(int x) const;
    QRect plotRect() const;

    static std::vector<ProfileStop> findStops(const std::vector<ProfileSecond>& seconds);
    // A speed in the unit of the viewer settings, rounded, with the unit: "42 km/h".
    static double inUnit(double kmh, int unit);
    static QString speedText(double kmh, int unit);

signals:
    void playRequested(const QString& recording, double second);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    const ProfileSecond* secondNear(qint64 offset) const;
    double shown(double kmh) const;
    void paintAxes(QPainter& painter, const QRect& plot, double top);

    ProfileData m_data;
    std::vector<ProfileStop> m_stops;
    int m_unit = 0;
    double m_topKmh = 60;
    std::optional<int> m_pointerX;
    QString m_pointerText;
};

} // namespace archivewin
