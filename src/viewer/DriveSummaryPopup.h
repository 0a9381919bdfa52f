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
// driver can go through the list. Like the other popups it closes only by its own button.
class DriveSummaryPopup : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kWidth = 480;
    static constexpr int kHeight = 660;
    static constexpr QRect kEventList{16, 292, kWidth - 32, 192};
    // The drive's speed profile under the events, as the archive window shows it.
    static constexpr QRect kProfile{12, 522, kWidth - 24, 128};

    explicit DriveSummaryPopup(QWidget* owner);
    ~DriveSummaryPopup() override;

    // Fills the popup with the drive; speeds in the unit of the viewer settings (0 km/h,
    // 1 mph, 2 knots).
    void setDrive(const drive::DriveSummary& drive, int speedUnit);
    // Shown over the middle of the owner's video area as the owner stands now.
    void showOver(const QRect& ownerGeometry);

    // The texts as the popup shows them: its figures, label and value, and a line per event.
    const QList<QPair<QString, QString>>& figures() const { return m_figures; }
    QStringList eventLines() const;
    // What a click on the event row does (tests drive it through here as through the list).
    void chooseEvent(int row);
    const drive::DriveSummary& drive() const { return m_drive; }
    archivewin::SpeedProfile* speedProfile() const { return m_profile; }

    // One event's line: time, kind, strength, and the recording and second it lies at.
    static QString eventLine(const drive::DriveSummary& drive, const drive::DriveEvent& event);
    static QString kindName(drive::EventKind kind);
    // The drive's seconds and events as the speed profile draws them.
    static archivewin::ProfileData speedProfile(const drive::DriveSummary& drive);
    // "1:02:05" or "2:05".
    static QString duration(qint64 seconds);

signals:
    // Play `recording` from `second` (the event's run-up).
    void playRequested(const QString& recording, double second);

public slots:
    void reject() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void renderFace();

    BitmapButton* m_close = nullptr;
    QListWidget* m_events = nullptr;
    archivewin::SpeedProfile* m_profile = nullptr;
    drive::DriveSummary m_drive;
    QList<QPair<QString, QString>> m_figures;
    QImage m_face;
};
