#pragma once

#include "archive/Archive.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

struct DriveSecond;
struct RmcFix;

// What the archive's tests share: an archive on either database, and cards of recordings made of
// telemetry and a stand-in for the video (no encoder needed), named as the camera names them.
namespace archivetest {

enum class Backend { SQLite, PostgreSQL };
std::string backendName(const ::testing::TestParamInfo<Backend>& info);

// A fresh archive for each test: a root folder and, for PostgreSQL, a new database on the
// tests' own server.
class ArchiveTest : public ::testing::TestWithParam<Backend>
{
protected:
    void SetUp() override;

    QString root() const { return m_folder.filePath(QStringLiteral("archive")); }
    QString database() const { return m_database; }
    QString folder(const QString& name) const; // made under the test's folder
    // Opens the test's archive; the test fails when it does not open.
    bool open(archive::Archive& archive) const;
    // zyn-archive's options that name the test's archive.
    QStringList archiveArguments() const;

    QTemporaryDir m_folder;
    QString m_database;
};

// Seconds of a simulated town drive from `utcStart`, with hard braking at `brakes`.
QList<DriveSecond> simulateDrive(
    const QDateTime& utcStart, int seconds, quint32 seed, const QList<int>& brakes = {});

// One recording of the given seconds, named prefix + the camera's time of its first second:
// the satellites' time plus `clockOffset` seconds (a camera set to UTC+3 and 42 s fast: 10842).
QString writeRecording(const QString& folder, const QString& prefix,
    const QList<DriveSecond>& drive, int from, int count, qint64 clockOffset,
    const QList<int>& eventSeconds = {});

// A drive cut into recordings of `length` seconds: drf_, evt_ (with the camera's event at its
// middle second) and drf_ again in turn. Returns the paths.
QStringList writeDrive(
    const QString& folder, const QList<DriveSecond>& drive, int length, qint64 clockOffset);

// A recording of positions as given (one sentence a second), for receivers' real logs.
QString writeSentences(
    const QString& folder, const QString& name, const QList<QByteArray>& sentences);

// The media data without the index, as the camera leaves a file when the power goes.
QString writeUnclosed(const QString& folder, const QString& name, int bytes = 4096);

QByteArray sha256(const QString& path);
// Files under a folder (hidden ones too), relative paths, sorted.
QStringList filesUnder(const QString& folder);

} // namespace archivetest
