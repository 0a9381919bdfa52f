#pragma once

#include "clip/ClipExport.h"

#include <QDialog>
#include <QImage>
#include <QStringList>

class QCheckBox;
class QDateTimeEdit;
class QLabel;
class QProgressBar;
class QPushButton;
namespace clip {
class ClipJob;
}

// The clip export popup: the span's start and end (editable to the second) and its length, the
// folder the clip goes to, whether GPX and CSV go with it and whether a copy drawn with its
// telemetry does, the button that starts the export, a
// progress bar and Cancel. The export runs on the job's own thread; the popup only hears its
// progress and its end, then says in a message which files were written or what went wrong.
//
// Cancel stops a running export (the popup stays, for another try) and otherwise hides the
// popup; the keyboard cannot dismiss it, as none of the skinned popups.
class ClipExportPopup : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kWidth = 460;
    static constexpr int kHeight = 318;

    explicit ClipExportPopup(QWidget* owner);
    // A running export is cancelled and waited for: what it made is removed.
    ~ClipExportPopup() override;

    // Shows the popup over the owner for the span, to be cut from `recordings` and the
    // recordings continuing them in their folders, into `folder` unless the user has chosen
    // one before that is still there. While an export runs the popup only comes to the front.
    void offer(const QStringList& recordings, const clip::Span& span, const QString& folder);
    bool isRunning() const;
    // Cancels an export under way and waits for its thread (the window is going).
    void stop();

    // The drawn clip's speed unit: the viewer settings' (0 km/h, 1 mph, 2 knots).
    void setSpeedUnit(int unit) { m_speedUnit = unit; }

    clip::Span span() const;
    QString folder() const { return m_folder; }

    // Over the owner, centred, wherever it has been dragged.
    static QPoint placement(const QRect& ownerGeometry);
    // "HH:MM:SS" of a length in seconds, or a dash for none.
    static QString lengthText(qint64 seconds);

signals:
    // The export has ended and its message was shown; `written` holds the files made.
    void exportEnded(const QStringList& written);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void drawFace();
    void showFolder();
    void updateLength();
    void setRunning(bool running);
    void onBrowse();
    void onSave();
    void onCancel();
    void onProgress(double done);
    void onFinished(const QList<clip::ExportResult>& results, const QStringList& messages);

    QImage m_face;
    QStringList m_recordings;
    QString m_folder;
    QString m_chosenFolder; // through the folder browser
    clip::ClipJob* m_job = nullptr; // child; made for each export
    QDateTimeEdit* m_from = nullptr;
    QDateTimeEdit* m_to = nullptr;
    QLabel* m_length = nullptr;
    QLabel* m_folderText = nullptr;
    QPushButton* m_browse = nullptr;
    QCheckBox* m_sideFiles = nullptr;
    QCheckBox* m_overlay = nullptr; // the clip also drawn with its telemetry
    int m_speedUnit = 0;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_cancel = nullptr;
};
