#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <thread>

// The copy of the open recording into the folder chosen in the settings popup's file saving
// mode, as "copy_" + the recording's name + ".mp4". The copy runs on a worker thread and
// reports with a queued signal; the window shows the wait cursor meanwhile and the outcome
// afterwards.
//
// A copy is written under a temporary name in the destination folder, checked against the
// source's size, and only then given its final name (replacing an older copy), so a failed or
// interrupted copy never leaves a partial file under that name.
class RecordingCopy : public QObject
{
    Q_OBJECT

public:
    enum Result : int {
        Copied = 0,
        NoFolder = 1, // folder 1 was never chosen
        SameFile = 2, // the destination is the recording itself
        CannotRead = 3,
        CannotCreate = 4, // the folder is missing or not writable
        WriteFailed = 5,
        SizeMismatch = 6,
        CannotReplace = 7,
        Cancelled = 8,
    };

    struct Outcome
    {
        int result = Copied;
        QString destination;
        // Empty after success (the window then shows the settings popup's completion message
        // 2); otherwise the text to show, naming the destination and the reason.
        QString message;
    };

    explicit RecordingCopy(QObject* parent = nullptr);
    // Stops a running copy (its partial file is removed) and waits for the worker.
    ~RecordingCopy() override;

    // The destination in folder 1: "copy_", the name part of the recording's file name from
    // its type prefix without its last four characters (the extension), then ".mp4"; a
    // separator is added to the folder when it lacks one. Empty when folder 1 is empty.
    static QString destinationFor(const QString& folder1, const QString& recordingPath);

    // The whole copy on the calling thread. `cancel`, when given, is polled between blocks.
    static Outcome copy(const QString& recordingPath, const QString& folder1,
        const std::atomic<bool>* cancel = nullptr);

    // The user's text for a result: the destination, the reason and the system's detail.
    static QString message(int result, const QString& destination, const QString& detail = {});

    // Starts the copy on the worker thread; false (and nothing started) while one runs.
    bool start(const QString& recordingPath, const QString& folder1);
    bool busy() const { return m_busy; }

signals:
    // On the thread that owns this object.
    void finished(int result, const QString& destination, const QString& message);

private:
    void joinWorker();

    std::thread m_worker;
    std::atomic<bool> m_cancel{false};
    bool m_busy = false; // GUI thread only
};
