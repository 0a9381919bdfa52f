// Recordings the camera never closed (the power went): opening one offers to recover it. The
// recovery runs on a worker thread with a progress dialog; the recovered copy joins the list and
// plays. The damaged file itself is only ever read.
#include "viewer/CKOB_PCMgrDlg.h"

#include "platform/Dialogs.h"
#include "recover/RecoveryWorker.h"
#include "recording/RecordingCheck.h"
#include "resources/Strings.h"
#include "settings/SettingPopup.h"

#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>
#include <QThread>

#include <cstdio>
#include <utility>

namespace {

// How long closing the window waits for a recovery it has cancelled.
constexpr unsigned long kRecoveryJoinMs = 5000;

QString failureText(const recover::Report& report)
{
    switch (report.outcome) {
    case recover::Outcome::ReferenceRefused:
        return report.message; // what is wrong with the reference, in the viewer's language
    case recover::Outcome::ReadFailed:
        return strings::kRecoveryReadFailed;
    case recover::Outcome::WriteFailed:
        return QString(strings::kRecoveryWriteFailed).arg(report.message);
    case recover::Outcome::NothingToRecover:
        return strings::kNothingToRecover;
    case recover::Outcome::Recovered:
    case recover::Outcome::PartlyRecovered:
    case recover::Outcome::NoReference:
    case recover::Outcome::Cancelled:
        break;
    }
    return {};
}

} // namespace

void CKOB_PCMgrDlg::offerRecovery(const QString& path)
{
    if (platform::messageBox(
            strings::kOfferRecovery, strings::kAppTitle, platform::Buttons::YesNo, this)
        == platform::IDYES)
        startRecovery(path, {});
    else
        playOn(); // declined: not an empty video area, the list goes on past it
}

void CKOB_PCMgrDlg::startRecovery(const QString& path, const QString& reference)
{
    if (m_recoveryThread)
        return;
    m_recoveryPath = path;
    recover::Request request;
    request.recording = path;
    request.reference = reference;
    // Where copies go already: the card's own folder may be read-only.
    request.fallbackFolder = m_settings->folders().folders[1];

    auto* thread = new QThread(this);
    auto* worker = new recover::RecoveryWorker(request);
    worker->moveToThread(thread);
    m_recoveryThread = thread;
    m_recoveryWorker = worker;
    m_recoveryProgress = new QProgressDialog(
        strings::kRecovering, strings::kCancel, 0, 1000, this, Qt::Dialog);
    m_recoveryProgress->setWindowTitle(strings::kAppTitle);
    m_recoveryProgress->setWindowModality(Qt::WindowModal);
    m_recoveryProgress->setMinimumDuration(300);
    m_recoveryProgress->setAutoClose(false);
    m_recoveryProgress->setAutoReset(false);

    connect(thread, &QThread::started, worker, &recover::RecoveryWorker::run);
    connect(worker, &recover::RecoveryWorker::progress, m_recoveryProgress,
        &QProgressDialog::setValue, Qt::QueuedConnection);
    connect(worker, &recover::RecoveryWorker::finished, this, &CKOB_PCMgrDlg::onRecoveryFinished,
        Qt::QueuedConnection);
    connect(worker, &recover::RecoveryWorker::finished, thread, &QThread::quit);
    connect(thread, &QThread::finished, worker, &QObject::deleteLater);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    // The worker reads its flag from its own thread; the dialog only sets it.
    connect(m_recoveryProgress, &QProgressDialog::canceled, this, [this] {
        if (m_recoveryWorker)
            m_recoveryWorker->cancel();
    });
    thread->start();
}

void CKOB_PCMgrDlg::onRecoveryFinished(const recover::Report& report)
{
    const QString damaged = std::exchange(m_recoveryPath, QString());
    m_recoveryThread.clear();
    m_recoveryWorker.clear();
    if (m_recoveryProgress) {
        m_recoveryProgress->deleteLater();
        m_recoveryProgress = nullptr;
    }
    std::printf("recovery: %s: %s\n", QDir::toNativeSeparators(damaged).toLocal8Bit().constData(),
        report.message.toLocal8Bit().constData());
    std::fflush(stdout);
    switch (report.outcome) {
    case recover::Outcome::Recovered:
    case recover::Outcome::PartlyRecovered: {
        addToList({report.output});
        const int index = int(m_list.entries().indexOf(report.output));
        if (index >= 0 && m_list.moveTo(index) >= 0) {
            openSelectedRow();
            showStatus(QString(strings::kRecovered).arg(QFileInfo(report.output).fileName()));
        }
        // Playable, but the user must learn that part of the recording was left out.
        if (report.outcome == recover::Outcome::PartlyRecovered)
            platform::messageBox(report.message, strings::kAppTitle, platform::Buttons::Ok, this);
        return;
    }
    case recover::Outcome::NoReference:
        chooseReference(damaged);
        return;
    case recover::Outcome::Cancelled:
        showStatus(strings::kRecoveryCancelled);
        return;
    default:
        platform::messageBox(failureText(report), strings::kAppTitle, platform::Buttons::Ok, this);
        return;
    }
}

void CKOB_PCMgrDlg::chooseReference(const QString& damaged)
{
    if (damaged.isEmpty()
        || platform::messageBox(
               strings::kNoReference, strings::kAppTitle, platform::Buttons::YesNo, this)
            != platform::IDYES)
        return;
    const std::optional<QString> folder = platform::browseForFolder(
        strings::kChooseReferenceFolder, QFileInfo(damaged).absolutePath(), this);
    if (!folder)
        return;
    // The nearest healthy recording of the same kind, as if the damaged one lay in that folder.
    const QString reference
        = recover::findReference(QDir(*folder).filePath(QFileInfo(damaged).fileName()));
    if (reference.isEmpty()) {
        platform::messageBox(
            strings::kNoReferenceInFolder, strings::kAppTitle, platform::Buttons::Ok, this);
        return;
    }
    startRecovery(damaged, reference);
}

void CKOB_PCMgrDlg::stopRecovery()
{
    if (!m_recoveryThread)
        return;
    if (m_recoveryWorker)
        m_recoveryWorker->cancel();
    m_recoveryThread->quit();
    // A walk that does not notice the cancel in time is let go, holding only its own data:
    // a thread object destroyed while running would end the program.
    if (!m_recoveryThread->wait(kRecoveryJoinMs))
        m_recoveryThread->setParent(nullptr);
}
