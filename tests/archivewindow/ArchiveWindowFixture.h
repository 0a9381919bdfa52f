#pragma once

#include "archivewindow/ArchiveLocation.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

// What the archive window's tests share: the demo card (real recordings, so that pictures
// decode), written once per test program, and archives it is imported into by zyn-archive.
namespace archivewintest {

// The demo card's folder: five recordings of 30 s, one drive on 14 June 2025 from 14:23:37.
QString demoCard();

// Runs zyn-archive with the arguments; its exit status (-1 when it did not run to its end).
int runArchiveTool(const QStringList& arguments, QString* output = nullptr);

// Runs the event loop until the condition holds or the time is up.
bool waitFor(const std::function<bool()>& condition, int timeoutMs = 30000);

// A fresh archive folder, with the demo card imported into it (the SQLite index, or the
// database given).
class ImportedArchive
{
public:
    explicit ImportedArchive(const QString& database = {}, bool import = true);
    bool isValid() const { return m_valid; }
    archivewin::ArchiveLocation location() const { return {m_root, m_database}; }
    QString root() const { return m_root; }

private:
    QTemporaryDir m_folder;
    QString m_root;
    QString m_database;
    bool m_valid = false;
};

} // namespace archivewintest
