#pragma once

#include "recover/Recovery.h"

#include <QObject>

#include <atomic>

// Runs one recovery on whatever thread it lives on (moveToThread, then call run() there, or
// start it through a queued connection); progress and the end arrive as signals that a window
// receives queued on its own thread. cancel() may be called from any thread.
namespace recover {

class RecoveryWorker : public QObject
{
    Q_OBJECT
public:
    explicit RecoveryWorker(const Request& request, QObject* parent = nullptr);

    void cancel() { m_cancel = true; }

public slots:
    void run();

signals:
    void progress(int permille);
    void finished(const recover::Report& report);

private:
    Request m_request;
    std::atomic<bool> m_cancel{false};
};

} // namespace recover
