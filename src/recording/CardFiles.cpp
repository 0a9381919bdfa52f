#include "recording/CardFiles.h"

#include "recording/RecordingCheck.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <utility>

namespace recording {

namespace {

constexpr QLatin1String kVideo(".mp4");
constexpr QLatin1String kRecoveredEnd("_recovered.mp4");
constexpr QLatin1String kOverlayEnd("_overlay.mp4");
constexpr QLatin1String kTemporaryEnd(".part");

struct Prefix
{
    QLatin1String text;
    RecordingType kind;
};
// "muevt_" before "evt_", which it contains.
constexpr Prefix kPrefixes[] = {{QLatin1String("drf_"), Continuous},
    {QLatin1String("muevt_"), ManualEvent}, {QLatin1String("evt_"), Event}};

// prefix + YYYYMMDD + "_" + HHMMSS
constexpr qsizetype kTimeLength = 15;

bool allDigits(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// The camera's stem at `at`: a prefix followed by a valid date and time. Its length, or 0.
qsizetype stemAt(const QString& name, qsizetype at, RecordingType& kind, QDateTime& start)
{
    for (const Prefix& prefix : kPrefixes) {
        if (!QStringView(name).mid(at).startsWith(prefix.text))
            continue;
        const QStringView rest = QStringView(name).mid(at + prefix.text.size());
        if (rest.size() < kTimeLength || rest[8] != u'_' || !allDigits(rest.first(8))
            || !allDigits(rest.mid(9, 6)))
            return 0;
        const QDate date(rest.first(4).toInt(), rest.mid(4, 2).toInt(), rest.mid(6, 2).toInt());
        const QTime time(rest.mid(9, 2).toInt(), rest.mid(11, 2).toInt(), rest.mid(13, 2).toInt());
        if (!date.isValid() || !time.isValid())
            return 0;
        kind = prefix.kind;
        start = QDateTime(date, time, Qt::UTC);
        return prefix.text.size() + kTimeLength;
    }
    return 0;
}

bool isHidden(const QString& name)
{
    return name.startsWith(u'.') || name.endsWith(kTemporaryEnd, Qt::CaseInsensitive);
}

Derivation derivationOf(const QString& name)
{
    if (name.endsWith(kOverlayEnd))
        return Derivation::DrawnClip;
    if (name.startsWith(QLatin1String("clip_"))) {
        if (name.endsWith(kVideo))
            return Derivation::Clip;
        for (const char* side : {".gpx", ".csv", ".mp4.sha256"}) {
            if (name.endsWith(QLatin1String(side)))
                return Derivation::SideFile;
        }
    }
    if (name.startsWith(QLatin1String("copy_")) && name.endsWith(kVideo))
        return Derivation::Copy;
    return Derivation::Other;
}

bool readableFolder(const QString& folder)
{
    const QFileInfo info(folder);
    return !folder.isEmpty() && info.isDir() && info.isReadable();
}

struct Entry
{
    QString path;
    QString name;
    CardName card;
};

// The folder's regular files (and links to them), classified. Hidden-attribute files are
// looked at too: a card's file system may mark recordings so; dot names are classified out.
QList<Entry> scanFolder(const QString& folder)
{
    QList<Entry> entries;
    QDirIterator it(folder, QDir::Files | QDir::Hidden);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        entries.append({QDir::cleanPath(it.filePath()), name, classifyName(name)});
    }
    return entries;
}

void sortByTime(QList<CardRecording>& recordings)
{
    std::sort(
        recordings.begin(), recordings.end(), [](const CardRecording& a, const CardRecording& b) {
            if (a.start != b.start)
                return a.start < b.start;
            return QFileInfo(a.path).fileName() < QFileInfo(b.path).fileName();
        });
}

// The camera's recordings among a readable folder's entries.
CardListing cardOf(const QString& folder, const QList<Entry>& entries)
{
    CardListing listing;
    listing.readable = true;
    QHash<QString, qsizetype> byName; // camera recordings' names to their place in the list
    QList<const Entry*> recovered;
    for (const Entry& entry : entries) {
        if (entry.card.role == CardRole::Recording) {
            byName.insert(entry.name, listing.recordings.size());
            listing.recordings.append({entry.path, entry.card.kind, entry.card.start, {}});
        } else if (entry.card.role == CardRole::Recovered) {
            recovered.append(&entry);
        }
    }
    const QDir dir(folder);
    for (const Entry* copy : std::as_const(recovered)) {
        const QString original = QDir::cleanPath(dir.filePath(copy->card.original));
        const auto known = byName.constFind(copy->card.original);
        if (known == byName.constEnd()) {
            listing.recordings.append({copy->path, copy->card.kind, copy->card.start, original});
            continue;
        }
        // An intact original is the recording itself; its recovered copy would repeat it.
        if (checkRecording(original).state == RecordingState::Intact)
            continue;
        CardRecording& slot = listing.recordings[*known];
        slot.path = copy->path;
        slot.replaces = original;
        listing.replaced.append(original);
    }
    sortByTime(listing.recordings);
    return listing;
}

} // namespace

CardName classifyName(const QString& fileName)
{
    CardName result;
    result.isVideo = fileName.endsWith(kVideo);
    if (const qsizetype stem = stemAt(fileName, 0, result.kind, result.start)) {
        const QStringView rest = QStringView(fileName).mid(stem);
        if (rest == kVideo) {
            result.role = CardRole::Recording;
        } else if (rest == kRecoveredEnd) {
            result.role = CardRole::Recovered;
            result.original = fileName.first(stem) + kVideo;
        } else {
            result.role = CardRole::Derived;
        }
    } else {
        // A recording named inside another name: "clip_evt_...", "copy_drf_...".
        qsizetype earliest = -1;
        for (const Prefix& prefix : kPrefixes) {
            for (qsizetype at = fileName.indexOf(prefix.text, 1);
                 at > 0 && (earliest < 0 || at < earliest);
                 at = fileName.indexOf(prefix.text, at + 1)) {
                RecordingType kind = NotARecording;
                QDateTime start;
                if (stemAt(fileName, at, kind, start)) {
                    earliest = at;
                    result.kind = kind;
                    result.start = start;
                    result.role = CardRole::Derived;
                    break;
                }
            }
        }
    }
    if (isHidden(fileName)) {
        result.role = CardRole::Hidden;
        result.original.clear();
    } else if (result.role == CardRole::Derived) {
        result.derivation = derivationOf(fileName);
    }
    return result;
}

bool isCameraRecording(const QString& fileName)
{
    return classifyName(fileName).role == CardRole::Recording;
}

QString recoveredName(const QString& fileName)
{
    return QFileInfo(fileName).completeBaseName() + kRecoveredEnd;
}

QStringList CardListing::paths() const
{
    QStringList list;
    list.reserve(recordings.size());
    for (const CardRecording& recording : recordings)
        list.append(recording.path);
    return list;
}

CardListing listCard(const QString& folder)
{
    CardListing listing;
    if (readableFolder(folder))
        listing = cardOf(folder, scanFolder(folder));
    return listing;
}

QStringList folderRecordings(const QString& folder)
{
    if (!readableFolder(folder))
        return {};
    const QList<Entry> entries = scanFolder(folder);
    const CardListing card = cardOf(folder, entries);
    if (!card.recordings.isEmpty())
        return card.paths();
    CardListing made;
    for (const Entry& entry : entries) {
        if (entry.card.role == CardRole::Derived && entry.card.isVideo
            && entry.card.derivation != Derivation::DrawnClip)
            made.recordings.append({entry.path, entry.card.kind, entry.card.start, {}});
    }
    sortByTime(made.recordings);
    return made.paths();
}

bool listsUnderKind(const QString& fileName, RecordingType kind)
{
    if (!fileName.endsWith(kVideo) || isHidden(fileName))
        return false;
    switch (kind) {
    case Continuous:
        return fileName.contains(QLatin1String("drf_"));
    case Event:
        return fileName.contains(QLatin1String("evt_"))
            && !fileName.contains(QLatin1String("muevt_"));
    case ManualEvent:
        return fileName.contains(QLatin1String("muevt_"));
    case NotARecording:
        break;
    }
    return false;
}

RecordingType selectorKind(const QString& fileName)
{
    for (RecordingType kind : {Continuous, ManualEvent, Event}) {
        if (listsUnderKind(fileName, kind))
            return kind;
    }
    return NotARecording;
}

} // namespace recording
