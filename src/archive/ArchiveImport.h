#pragma once

#include "archive/ArchiveTypes.h"
#include "drive/DriveTypes.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <vector>

// Bringing a card's recordings into the archive: each copied under a temporary name, flushed,
// read back and checked against the card's SHA-256 before it is named; then indexed in one
// transaction of its own, so an import cut off at any point loses nothing that was indexed and
// leaves no half row. The card is only read.
namespace archive {

class Archive;

struct ImportProgress
{
    int index = 0; // the recording being imported, from 1
    int count = 0;
    QString source;
    qint64 bytesDone = 0; // over the whole import
    qint64 bytesTotal = 0;
};

enum class ImportOutcome {
    Imported,
    Skipped, // the archive holds it already: same name, same content
    KeptBeside, // the archive holds another recording of this name: this one got a new name
    Failed,
};

struct ImportItem
{
    QString source;
    ImportOutcome outcome = ImportOutcome::Failed;
    QString path; // in the archive (absolute); empty when it failed
    RecordingState state = RecordingState::Intact;
    QString message; // why it failed, or what is worth knowing
};

struct ImportReport
{
    std::vector<ImportItem> items;
    std::vector<qint64> drives; // made or grown by this import
    QStringList problems; // failures that belong to no single recording
    bool cancelled = false;
    bool writeFailed = false; // a copy or the index could not be written

    int count(ImportOutcome outcome) const;
};

struct ImportOptions
{
    QString vehicle = QStringLiteral("default");
    drive::DetectionThresholds thresholds;
    const std::atomic<bool>* cancel = nullptr;
    std::function<void(const ImportProgress&)> progress;
    std::function<void(const QString& copy)> beforeReadBack; // see CopyControl
};

// A vehicle's name becomes a folder of the archive: not empty, no separators, no leading dot.
bool isValidVehicleName(const QString& name);

// The camera's recordings a card folder holds (a recording given itself stands for itself).
QStringList cardRecordings(const QString& folderOrFile);

// Imports the recordings of the folders into the vehicle's part of the archive, then forms the
// drives they belong to.
ImportReport importCards(
    const Archive& archive, const QStringList& folders, const ImportOptions& options);

// The card's recordings the archive lacks (by name and size, of any vehicle), for an offer to
// import: no file is read.
QStringList missingRecordings(const Archive& archive, const QString& folder);

} // namespace archive
