#pragma once

#include "drive/DriveTypes.h"

#include <QDialog>
#include <QImage>
#include <QStringList>

class BitmapButton;
namespace archivewin {
class SpeedProfile;
struct ProfileData;
}
class QListWidget;
class QListWidgetItem;

// The figures of a drive and its events, camera's and found, on the popups' dark face. A click
// on an event asks the window to play it from a few seconds before; the popup stays, so the
// driver can go through the list, but steps aside beside the video (over the map) in a narrower
// form while the event plays, its row marked as the one playing. Like the other popups it
// closes only by its own button; the window's keys pressed while it has the keyboard are the
// window's.
class DriveSummaryPopup : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kWidth = 480;
    static constexpr int kHeight = 660;
    static constexpr QRect kEventList{16, 292, kWidth - 32, 192};
    // Beside the video: over the map area, from under the top buttons to above the sliders.
    static constexpr QRect kBesideVideo{668, 96, 348, 440};

    explicit DriveSummaryPopup(QWidget* owner);
    ~DriveSummaryPopup() override;

    // Fills the popup with the drive; speeds in the unit of the viewer settings (0 km/h,
    // 1 mph, 2 knots).
    void setDrive(const drive::DriveSummary& drive, int speedUnit);
    // Shown over the middle of the owner's video area as the owner stands now.
    void showOver(const QRect& ownerGeometry);
    // Shown beside the owner's video area, in the narrower form, so the event played is seen.
    void showBeside(const QRect& ownerGeometry);
    bool isBeside() const { return m_beside; }
    // Marks the event playing (its index in the drive's events), or none with -1.
    void setPlayingEvent(int index);
    int playingEvent() const;

    // The texts as the popup shows them: its figures, label and value, and a line per event.
    const QList<QPair<QString, QString>>& figures() const { return m_figures; }
    QStringList eventLines() const;
    // What a click on the event row does (tests drive it through here as through the list).
    void chooseEvent(int row);
    const drive::DriveSummary& drive() const { return m_drive; }
    // The drive's speed profile under its events, the archive window's widget.
    archivewin::SpeedProfile* speedProfile() const { return m_profile; }

    // One event's line: time, kind, strength, and the recording and second it lies at.
    static QString eventLine(const drive::DriveSummary& drive, const drive::DriveEvent& event);
    static QString kindName(drive::EventKind kind);
    // The drive's seconds and events as the speed profile draws them.
    static archivewin::ProfileData speedProfile(const drive::DriveSummary& drive);
    // "1:02:05" or "2:05".
    static QString duration(qint64 seconds);

signals:
    // Play the drive's event of this index from its run-up.
    void eventChosen(int index);
    // Play the recording from the second a click on the profile points at.
    void secondChosen(const QString& recording, double second);

public slots:
    void reject() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The list's place and its lines for the form shown.
    void layOut();
    void renderFace();

    BitmapButton* m_close = nullptr;
    QListWidget* m_events = nullptr;
    archivewin::SpeedProfile* m_profile = nullptr;
    drive::DriveSummary m_drive;
    QList<QPair<QString, QString>> m_figures;
    QImage m_face;
    bool m_beside = false;
};
