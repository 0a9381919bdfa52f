// The archive: the window (key A, the play list's menu) and what it asks to play, and a card's
// import, offered in the title when a card given to the viewer, or put in while it runs, holds
// recordings the archive lacks. Everything that reads the card or the archive runs on workers.
#include "viewer/CKOB_PCMgrDlg.h"

#include "archive/Archive.h"
#include "archive/ArchiveImport.h"
#include "archivewindow/ArchiveImportJob.h"
#include "archivewindow/ArchiveThread.h"
#include "archivewindow/ArchiveWindow.h"
#include "archivewindow/CardWatcher.h"
#include "map/MapWindow.h"
#include "platform/Dialogs.h"
#include "resources/Strings.h"
#include "settings/SettingPopup.h"
#include "viewer/DriveIndex.h"
#include "viewer/PlayListPainter.h"

#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QProgressDialog>
#include <QTimer>

#include <cstdio>

namespace {

// The offer stands in the title this long, unless something else is said meanwhile.
constexpr int kOfferShownMs = 30000;
// After the window is on screen: the card watch and the checks of given cards wait so long,
// so that the first picture and the player come first.
constexpr int kArchiveStartDelayMs = 1500;

QString folderOf(const QString& path)
{
    const QFileInfo info(path);
    return QDir::cleanPath(info.isDir() ? info.absoluteFilePath() : info.absolutePath());
}

} // namespace

void CKOB_PCMgrDlg::showArchive()
{
    if (!m_unlocked || unlocking())
        return;
    if (!m_archiveWindow) {
        // The main map's page, browser profile and tiles: one tile cache for both maps.
        m_archiveWindow = new archivewin::ArchiveWindow(archivewin::storedLocation(),
            m_map ? m_map->profile() : nullptr, m_map ? m_map->pagePath() : QString(),
            qEnvironmentVariable("ZYN_MAP_TILES"), this);
        connect(m_archiveWindow, &archivewin::ArchiveWindow::playRequested, this,
            &CKOB_PCMgrDlg::onArchivePlay);
    }
    m_archiveWindow->setSpeedUnit(m_settings->workingRecord().speedUnit);
    m_archiveWindow->showOver(mainRectangle());
}

void CKOB_PCMgrDlg::onArchivePlay(
    const QStringList& driveRecordings, const QString& recording, double second)
{
    // The drive's recordings join the list, so the next ones play on after this one.
    QStringList missing;
    for (const QString& path : driveRecordings) {
        if (!m_list.entries().contains(path))
            missing << path;
    }
    if (!missing.isEmpty())
        addToList(missing);
    std::printf("archive play: %s %.0f\n", recording.toLocal8Bit().constData(), second);
    std::fflush(stdout);
    playFrom(recording, second);
    raise();
    activateWindow();
}

void CKOB_PCMgrDlg::scheduleArchiveWork()
{
    QTimer::singleShot(kArchiveStartDelayMs, this, [this] {
        if (!m_cardWatcher) {
            m_cardWatcher = new archivewin::CardWatcher(this);
            connect(m_cardWatcher, &archivewin::CardWatcher::cardMounted, this,
                [this](const QString& folder) { checkCardForArchive(folder); });
            m_cardWatcher->start();
        }
        const QStringList waiting = std::exchange(m_archiveCandidates, {});
        for (const QString& folder : waiting)
            checkCardForArchive(folder);
    });
}

void CKOB_PCMgrDlg::offerArchiveFor(const QStringList& paths)
{
    QStringList folders;
    for (const QString& path : paths) {
        const QString folder = folderOf(path);
        if (!folders.contains(folder))
            folders << folder;
    }
    for (const QString& folder : folders) {
        if (m_cardWatcher)
            checkCardForArchive(folder);
        else if (!m_archiveCandidates.contains(folder))
            m_archiveCandidates << folder;
    }
}

void CKOB_PCMgrDlg::checkCardForArchive(const QString& folder)
{
    if (!m_archiveChecks)
        m_archiveChecks = std::make_unique<archivewin::ArchiveThread>(archivewin::storedLocation());
    const archivewin::ArchiveLocation location = m_archiveChecks->location();
    const bool noIndexYet = location.database.isEmpty()
        && !QFileInfo::exists(archive::Archive::sqliteFile(location.root));
    // An archive not made yet lacks every recording, and is not made just to ask it.
    m_archiveChecks->run(
        [this, folder, noIndexYet](const archive::Archive* a, const QString&) {
            int missing = 0;
            if (noIndexYet)
                missing = int(archive::cardRecordings(folder).size());
            else if (a)
                missing = int(archive::missingRecordings(*a, folder).size());
            archivewin::ArchiveThread::answer(
                this, [this, folder, missing] { onArchiveMissing(folder, missing); });
        },
        !noIndexYet);
}

void CKOB_PCMgrDlg::onArchiveMissing(const QString& folder, int missing)
{
    std::printf("archive missing: %s: %d\n",
        QDir::toNativeSeparators(folder).toLocal8Bit().constData(), missing);
    std::fflush(stdout);
    if (missing <= 0 || m_archiveImport)
        return;
    // A note standing in the title (a recording passed over, say) is read to its end first.
    if (!m_status.isEmpty() && m_status != m_archiveOfferText) {
        QTimer::singleShot(
            kStatusShownMs, this, [this, folder, missing] { onArchiveMissing(folder, missing); });
        return;
    }
    m_archiveOffer = folder;
    showStatus(QString(strings::kArchiveOffer).arg(missing));
    m_archiveOfferText = m_status;
    // Longer than a passing note, on a timer of its own: the notes' timer keeps its period.
    m_statusTimer->stop();
    QTimer::singleShot(kOfferShownMs, this, [this, shown = m_status] {
        if (m_status == shown && !m_statusTimer->isActive())
            onStatusTimeout();
    });
}

QString CKOB_PCMgrDlg::archiveOffer() const
{
    return !m_archiveOffer.isEmpty() && m_status == m_archiveOfferText ? m_archiveOffer : QString();
}

bool CKOB_PCMgrDlg::acceptArchiveOffer(QPoint point)
{
    const QString folder = archiveOffer();
    if (folder.isEmpty() || !PlayListPainter::kTitleRect.contains(point))
        return false;
    m_archiveOffer.clear();
    onStatusTimeout();
    startArchiveImport(folder);
    return true;
}

void CKOB_PCMgrDlg::chooseCardForArchive()
{
    // The card of the list's recording, else the folder the driver names.
    QString folder = archiveOffer();
    if (folder.isEmpty() && !m_list.isEmpty())
        folder = folderOf(m_list.currentPath());
    if (folder.isEmpty()) {
        const std::optional<QString> chosen
            = platform::browseForFolder(strings::kArchiveChooseCard, {}, this);
        if (!chosen)
            return;
        folder = *chosen;
    }
    if (archive::cardRecordings(folder).isEmpty()) {
        platform::messageBox(QString(strings::kNotRecordings).arg(QDir::toNativeSeparators(folder)),
            strings::kAppTitle, platform::Buttons::Ok, this);
        return;
    }
    startArchiveImport(folder);
}

void CKOB_PCMgrDlg::startArchiveImport(const QString& folder)
{
    if (m_archiveImport)
        return;
    m_archiveImport = new archivewin::ArchiveImportJob(
        archivewin::storedLocation(), {folder}, QString(), DriveIndex::storedThresholds(), this);
    // Not modal: the window plays on while the card is copied.
    m_archiveProgress = new QProgressDialog(
        QString(strings::kArchiveImporting).arg(0).arg(0), strings::kCancel, 0, 1000, this);
    m_archiveProgress->setObjectName(QStringLiteral("archiveImport"));
    m_archiveProgress->setWindowTitle(strings::kArchiveTitle);
    m_archiveProgress->setWindowModality(Qt::NonModal);
    m_archiveProgress->setMinimumDuration(0);
    m_archiveProgress->setAutoClose(false);
    m_archiveProgress->setAutoReset(false);
    m_archiveProgress->move(mainRectangle().center() - QPoint(160, 60));
    connect(m_archiveProgress, &QProgressDialog::canceled, m_archiveImport,
        &archivewin::ArchiveImportJob::cancel);
    connect(m_archiveImport, &archivewin::ArchiveImportJob::progress, this,
        [this](int index, int count, qint64 done, qint64 total) {
            if (!m_archiveProgress)
                return;
            m_archiveProgress->setLabelText(
                QString(strings::kArchiveImporting).arg(index).arg(count));
            m_archiveProgress->setValue(total > 0 ? int(done * 1000 / total) : 0);
        });
    connect(m_archiveImport, &archivewin::ArchiveImportJob::finished, this,
        &CKOB_PCMgrDlg::onArchiveImported);
    m_archiveProgress->show();
    m_archiveImport->start();
}

void CKOB_PCMgrDlg::onArchiveImported(const archive::ImportReport& report, const QString& openError)
{
    if (m_archiveProgress) {
        m_archiveProgress->deleteLater();
        m_archiveProgress = nullptr;
    }
    if (m_archiveImport) {
        m_archiveImport->deleteLater();
        m_archiveImport = nullptr;
    }
    const QString text = archivewin::ArchiveImportJob::reportText(report, openError);
    std::printf("archive import: %s\n", text.simplified().toLocal8Bit().constData());
    std::fflush(stdout);
    if (m_archiveWindow)
        m_archiveWindow->reload();
    platform::messageBox(text, strings::kArchiveTitle, platform::Buttons::Ok, this);
}

void CKOB_PCMgrDlg::addArchiveEntries(QMenu* menu)
{
    menu->addAction(strings::kArchiveMenu, this, &CKOB_PCMgrDlg::showArchive)
        ->setShortcut(Qt::Key_A);
    menu->addAction(strings::kArchiveImportMenu, this, &CKOB_PCMgrDlg::chooseCardForArchive)
        ->setEnabled(!m_archiveImport);
}

void CKOB_PCMgrDlg::stopArchive()
{
    // The import is cancelled and waited for; what it had kept stays in the archive.
    delete m_archiveImport;
    m_archiveImport = nullptr;
    delete m_archiveWindow;
    m_archiveWindow = nullptr;
    m_archiveChecks.reset();
}
