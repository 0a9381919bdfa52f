#pragma once

#include "support/Process.h"

#include "clip/ClipExport.h"

#include <QDateTime>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A card of three continuing recordings written by the demo card writer, shared by the clip
// tests, and the independent judges they use (ffmpeg, ffprobe, sha256sum).
namespace cliptest {

constexpr int kSeconds = 20; // per recording
constexpr int kFps = 30;

using Outcome = testsupport::ProcessResult;

inline Outcome run(const QString& program, const QStringList& args)
{
    return testsupport::runProcess(program, args);
}

// drf_20250614_142337, evt_20250614_142357, muevt_20250614_142417 (20 s each, H.264 + AAC).
class Card
{
public:
    static Card& shared();
    QString folder() const { return m_dir.filePath("card"); }
    QString path(int i) const { return folder() + '/' + m_names[i]; }
    QStringList names() const { return m_names; }
    QDateTime start(int i) const { return first().addSecs(i * kSeconds); }
    static QDateTime first();
    // The MD5 of every decoded picture of recording i, as ffmpeg's framemd5 gives them.
    const QStringList& frames(int i);
    bool ok() const { return m_ok; }
    QString scratch(const QString& name) const { return m_dir.filePath(name); }

private:
    Card();
    QTemporaryDir m_dir;
    QStringList m_names;
    QList<QStringList> m_frames;
    bool m_ok = false;
};

QDateTime at(int hour, int minute, int second);
QStringList frameHashes(const QString& path);
// Each sound packet's time (s) and MD5 as ffprobe reads them, in file order.
QList<QPair<double, QString>> soundPackets(const QString& path);
double probeNumber(const QString& path, const QString& entries, const QString& stream = {});
// ffprobe's first answer for `entries` as text ("tv", "bt709" ...).
QString probeText(const QString& path, const QString& entries, const QString& stream = {});
// The sound as ffmpeg decodes it, mixed to one channel of 16-bit samples.
QList<qint16> decodedSound(const QString& path);
// Writes recordings into `folder` with the demo card writer; its arguments beside the folder.
Outcome writeCard(const QString& folder, const QStringList& args);

// Plans and exports `span` from the card's folder into `folder` with the library.
struct Exported
{
    clip::PlanResult plan;
    QList<clip::ExportResult> results;
};
Exported exportSpan(const QStringList& inputs, const clip::Span& span, const QString& folder,
    const clip::Control& control = {});

// Every file in the folder, hidden ones included.
QStringList filesIn(const QString& folder);

} // namespace cliptest
