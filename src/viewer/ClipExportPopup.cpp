#include "viewer/ClipExportPopup.h"

#include "clip/ClipJob.h"
#include "overlay/OverlayVideo.h"
#include "platform/Dialogs.h"
#include "resources/Fonts.h"
#include "resources/Popup.h"
#include "resources/Strings.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDateTimeEdit>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>

namespace {

// The popup's own layout, in client pixels; the labels are drawn on its face.
constexpr int kLabelX = 21;
constexpr QRect kFrom(160, 54, 190, 26);
constexpr QRect kTo(160, 88, 190, 26);
constexpr QRect kLength(160, 122, 190, 24);
constexpr QRect kFolderText(90, 158, 254, 26);
constexpr QRect kBrowse(352, 157, 88, 28);
constexpr QRect kSideFiles(kLabelX, 196, 190, 24);
constexpr QRect kOverlay(214, 196, 230, 24);
constexpr QRect kProgress(kLabelX, 232, 419, 18);
constexpr QRect kSave(226, 270, 104, 30);
constexpr QRect kCancel(338, 270, 104, 30);
constexpr int kProgressSteps = 1000;

const QString kTimeFormat = QStringLiteral("dd.MM.yyyy  HH:mm:ss");

// The popups' colours carried over to the controls on the face.
QString houseStyle()
{
    const auto rgb = [](const QColor& c) {
        return QStringLiteral("rgb(%1,%2,%3)").arg(c.red()).arg(c.green()).arg(c.blue());
    };
    return QStringLiteral(
        "QDateTimeEdit, QLabel#clipFolderText { background: black; color: white;"
        " border: 1px solid %1; padding: 1px 4px; }"
        "QDateTimeEdit:disabled { color: %1; }"
        "QLabel#clipLength { color: white; }"
        "QPushButton { background: %2; color: white; border: 1px solid %3; padding: 3px 8px; }"
        "QPushButton:pressed { background: %4; }"
        "QPushButton:disabled { color: %1; border-color: %1; }"
        "QCheckBox { color: %5; }"
        "QProgressBar { background: black; border: 1px solid %1; color: white;"
        " text-align: center; }"
        "QProgressBar::chunk { background: %4; }")
        .arg(rgb(popup::kBoxFrame), rgb(popup::kRule), rgb(popup::kFrame), rgb(popup::kTitle),
            rgb(popup::kLabel));
}

QDateTimeEdit* makeTimeEdit(const QRect& at, const char* name, QWidget* parent)
{
    auto* edit = new QDateTimeEdit(parent);
    edit->setObjectName(QLatin1String(name));
    // The camera's wall clock, held as UTC like the recordings' names: no zone may shift it.
    edit->setTimeSpec(Qt::UTC);
    edit->setDisplayFormat(kTimeFormat);
    edit->setGeometry(at);
    return edit;
}

QPushButton* makeButton(const QString& caption, const char* name, const QRect& at, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(at);
    // Enter never starts or cancels an export by accident.
    button->setAutoDefault(false);
    return button;
}

} // namespace

ClipExportPopup::ClipExportPopup(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("clipExport"));
    setWindowTitle(strings::kClipTitle);
    setModal(false);
    setFixedSize(kWidth, kHeight);
    setFont(fonts::pointFont(100));
    setStyleSheet(houseStyle());
    createControls();
    drawFace();
}

ClipExportPopup::~ClipExportPopup()
{
    stop();
}

void ClipExportPopup::createControls()
{
    m_from = makeTimeEdit(kFrom, "clipFrom", this);
    m_to = makeTimeEdit(kTo, "clipTo", this);
    m_length = new QLabel(this);
    m_length->setObjectName(QStringLiteral("clipLength"));
    m_length->setGeometry(kLength);
    m_folderText = new QLabel(this);
    m_folderText->setObjectName(QStringLiteral("clipFolderText"));
    m_folderText->setGeometry(kFolderText);
    m_browse = makeButton(strings::kClipBrowse, "clipBrowse", kBrowse, this);
    m_sideFiles = new QCheckBox(strings::kClipAlsoGpxCsv, this);
    m_sideFiles->setObjectName(QStringLiteral("clipSideFiles"));
    m_sideFiles->setGeometry(kSideFiles);
    m_sideFiles->setChecked(true);
    m_overlay = new QCheckBox(strings::kClipOverlay, this);
    m_overlay->setObjectName(QStringLiteral("clipOverlay"));
    m_overlay->setGeometry(kOverlay);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("clipProgress"));
    m_progress->setGeometry(kProgress);
    m_progress->setRange(0, kProgressSteps);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    m_save = makeButton(strings::kClipStart, "clipSave", kSave, this);
    m_cancel = makeButton(strings::kCancel, "clipCancel", kCancel, this);

    connect(m_from, &QDateTimeEdit::dateTimeChanged, this, &ClipExportPopup::updateLength);
    connect(m_to, &QDateTimeEdit::dateTimeChanged, this, &ClipExportPopup::updateLength);
    connect(m_browse, &QPushButton::clicked, this, &ClipExportPopup::onBrowse);
    connect(m_save, &QPushButton::clicked, this, &ClipExportPopup::onSave);
    connect(m_cancel, &QPushButton::clicked, this, &ClipExportPopup::onCancel);
}

void ClipExportPopup::drawFace()
{
    m_face = QImage(kWidth, kHeight, QImage::Format_RGB32);
    QPainter painter(&m_face);
    popup::drawFace(painter, m_face.size(), strings::kClipTitle, kWidth - 11);
    popup::drawText(painter, {kLabelX, kFrom.y() + 5}, strings::kClipFrom, popup::kLabel);
    popup::drawText(painter, {kLabelX, kTo.y() + 5}, strings::kClipTo, popup::kLabel);
    popup::drawText(painter, {kLabelX, kLength.y() + 3}, strings::kClipLength, popup::kLabel);
    popup::drawText(painter, {kLabelX, kFolderText.y() + 5}, strings::kClipFolder, popup::kLabel);
    update();
}

QPoint ClipExportPopup::placement(const QRect& ownerGeometry)
{
    return ownerGeometry.topLeft()
        + QPoint((ownerGeometry.width() - kWidth) / 2, (ownerGeometry.height() - kHeight) / 2);
}

QString ClipExportPopup::lengthText(qint64 seconds)
{
    if (seconds <= 0)
        return QStringLiteral("—");
    return QString::asprintf("%02lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
}

void ClipExportPopup::offer(const QStringList& recordings, const clip::Span& span, const QString& folder)
{
    if (parentWidget())
        move(placement(parentWidget()->window()->frameGeometry()));
    if (!isRunning()) {
        m_recordings = recordings;
        m_from->setDateTime(span.from);
        m_to->setDateTime(span.to);
        // The folder the user chose last stays while it is there: several clips of one drive go
        // together.
        m_folder = !m_chosenFolder.isEmpty() && QFileInfo(m_chosenFolder).isDir() ? m_chosenFolder
                                                                                   : folder;
        m_progress->setValue(0);
        showFolder();
        updateLength();
    }
    show();
    raise();
    activateWindow();
}

clip::Span ClipExportPopup::span() const
{
    return {m_from->dateTime(), m_to->dateTime()};
}

bool ClipExportPopup::isRunning() const
{
    return m_job && m_job->isRunning();
}

void ClipExportPopup::stop()
{
    if (!m_job)
        return;
    // Its end is not reported any more: the window is going, no message may come up.
    m_job->disconnect(this);
    delete m_job; // cancels and waits; what it made is removed
    m_job = nullptr;
}

void ClipExportPopup::showFolder()
{
    const QString shown = QDir::toNativeSeparators(m_folder);
    m_folderText->setText(
        m_folderText->fontMetrics().elidedText(shown, Qt::ElideMiddle, kFolderText.width() - 10));
    m_folderText->setToolTip(shown);
}

void ClipExportPopup::updateLength()
{
    const clip::Span chosen = span();
    m_length->setText(lengthText(chosen.from.secsTo(chosen.to)));
}

void ClipExportPopup::setRunning(bool running)
{
    for (QWidget* control : {static_cast<QWidget*>(m_from), static_cast<QWidget*>(m_to),
             static_cast<QWidget*>(m_browse), static_cast<QWidget*>(m_sideFiles),
             static_cast<QWidget*>(m_overlay),
             static_cast<QWidget*>(m_save)})
        control->setEnabled(!running);
}

void ClipExportPopup::onBrowse()
{
    if (const std::optional<QString> chosen
        = platform::browseForFolder(strings::kClipChooseFolder, m_folder, this)) {
        m_folder = *chosen;
        m_chosenFolder = *chosen;
        showFolder();
    }
}

void ClipExportPopup::onSave()
{
    if (isRunning())
        return;
    const clip::Span chosen = span();
    if (chosen.to <= chosen.from) {
        platform::messageBox(strings::kClipEndBeforeStart, strings::kAppTitle,
            platform::Buttons::Ok, this);
        return;
    }
    if (m_folder.isEmpty() || !QFileInfo(m_folder).isDir()) {
        platform::messageBox(QString(strings::kClipNoFolder).arg(QDir::toNativeSeparators(m_folder)),
            strings::kAppTitle, platform::Buttons::Ok, this);
        return;
    }
    // A job per export: one that was cancelled may still be winding down its thread.
    stop();
    m_job = new clip::ClipJob(this);
    connect(m_job, &clip::ClipJob::progress, this, &ClipExportPopup::onProgress);
    connect(m_job, &clip::ClipJob::finished, this, &ClipExportPopup::onFinished);
    const bool sideFiles = m_sideFiles->isChecked();
    clip::ExportOptions options{m_folder, sideFiles, sideFiles, QStringLiteral("zyn-viewer")};
    if (m_overlay->isChecked()) {
        options.overlay = [unit = m_speedUnit](const QString& clipPath, const QString& output,
                              const clip::Control& control, double from, double to,
                              QString* error) {
            overlay::VideoOptions drawing;
            drawing.speedUnit = unit;
            return overlay::drawClip(clipPath, output, drawing, control, from, to, error);
        };
    }
    m_progress->setValue(0);
    setRunning(true);
    m_job->start(m_recordings, chosen, options);
}

void ClipExportPopup::onCancel()
{
    if (isRunning()) {
        // The end is reported as cancelled; until then the popup waits with the rest disabled.
        m_cancel->setEnabled(false);
        m_job->cancel();
        return;
    }
    hide();
}

void ClipExportPopup::onProgress(double done)
{
    m_progress->setValue(int(done * kProgressSteps));
}

void ClipExportPopup::onFinished(
    const QList<clip::ExportResult>& results, const QStringList& messages)
{
    QStringList written;
    QStringList parts;
    bool failed = results.isEmpty();
    for (const clip::ExportResult& result : results) {
        // A drawn clip that failed or was cancelled leaves the clip, which is complete.
        for (const QString& path : result.written)
            written.append(QDir::toNativeSeparators(path));
        if (result.code == clip::Exported) {
            // It ends before a recording that could not be copied: the message says which.
            if (!result.uncopied.isEmpty())
                parts.append(result.message);
            continue;
        }
        failed = true;
        if (result.code == clip::DrawnFailed)
            parts.append(result.message);
        else if (result.code == clip::Cancelled)
            parts.append(strings::kClipCancelled);
        else if (result.code == clip::NothingToExport)
            parts.append(strings::kClipNothing);
        else
            parts.append(QString(strings::kClipFailed).arg(result.message));
    }
    if (results.isEmpty())
        parts.append(strings::kClipNothing);
    if (!written.isEmpty())
        parts.prepend(QString(strings::kClipWritten).arg(written.join(u'\n')));
    if (!messages.isEmpty())
        parts.append(QString(strings::kClipNotes).arg(messages.join(u'\n')));

    m_progress->setValue(failed ? 0 : kProgressSteps);
    setRunning(false);
    m_cancel->setEnabled(true);
    platform::messageBox(parts.join(QStringLiteral("\n\n")), strings::kAppTitle,
        platform::Buttons::Ok, this);
    // What went wrong leaves the popup open for another folder or span.
    if (!failed)
        hide();
    emit exportEnded(written);
}

void ClipExportPopup::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, m_face);
}

void ClipExportPopup::keyPressEvent(QKeyEvent* event)
{
    if (popup::closesDialog(event)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void ClipExportPopup::closeEvent(QCloseEvent* event)
{
    // The window manager's close is Cancel's.
    event->ignore();
    onCancel();
}
