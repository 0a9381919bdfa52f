#include "ClipTestCard.h"

#include <QDir>
#include <QRegularExpression>

#include <cstring>

namespace cliptest {

QDateTime at(int hour, int minute, int second)
{
    return QDateTime(QDate(2025, 6, 14), QTime(hour, minute, second), Qt::UTC);
}

QDateTime Card::first()
{
    return at(14, 23, 37);
}

Card& Card::shared()
{
    static Card card;
    return card;
}

Card::Card()
{
    const Outcome made = run(QStringLiteral(ZYN_CARDGEN),
        {"--length", QString::number(kSeconds), "--drf", "1", "--evt", "1", "--muevt", "1",
            "--seed", "4", "--start", "2025-06-14 14:23:37", folder()});
    m_names = QDir(folder()).entryList(QDir::Files, QDir::Name);
    std::sort(m_names.begin(), m_names.end(),
        [](const QString& a, const QString& b) { return a.section('_', 1) < b.section('_', 1); });
    m_frames.resize(m_names.size());
    m_ok = made.exitCode == 0 && m_names.size() == 3;
}

const QStringList& Card::frames(int i)
{
    if (m_frames[i].isEmpty())
        m_frames[i] = frameHashes(path(i));
    return m_frames[i];
}

QStringList frameHashes(const QString& path)
{
    const Outcome r
        = run("ffmpeg", {"-v", "error", "-i", path, "-map", "0:v", "-f", "framemd5", "-"});
    QStringList hashes;
    for (const QByteArray& line : r.out.split('\n')) {
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        hashes << QString::fromLatin1(line.split(',').last().trimmed());
    }
    return hashes;
}

QList<QPair<double, QString>> soundPackets(const QString& path)
{
    const Outcome r = run("ffprobe",
        {"-v", "error", "-select_streams", "a", "-show_entries", "packet=pts_time,data_hash",
            "-show_data_hash", "md5", "-of", "compact", path});
    QList<QPair<double, QString>> packets;
    static const QRegularExpression packet("pts_time=(-?[0-9.]+).*?data_hash=MD5:([0-9a-f]+)",
        QRegularExpression::DotMatchesEverythingOption);
    for (auto it = packet.globalMatch(QString::fromLatin1(r.out)); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        packets.append({m.captured(1).toDouble(), m.captured(2)});
    }
    return packets;
}

QString probeText(const QString& path, const QString& entries, const QString& stream)
{
    QStringList args{"-v", "error", "-show_entries", entries, "-of", "csv=p=0"};
    if (!stream.isEmpty())
        args << "-select_streams" << stream;
    const Outcome r = run("ffprobe", args << path);
    return QString::fromLatin1(r.out.trimmed().split('\n').first());
}

double probeNumber(const QString& path, const QString& entries, const QString& stream)
{
    bool ok = false;
    const double value = probeText(path, entries, stream).toDouble(&ok);
    return ok ? value : -1;
}

QList<qint16> decodedSound(const QString& path)
{
    const Outcome r = run("ffmpeg",
        {"-v", "error", "-i", path, "-map", "0:a", "-ac", "1", "-f", "s16le", "-"});
    QList<qint16> samples(r.out.size() / 2);
    std::memcpy(samples.data(), r.out.constData(), size_t(samples.size()) * 2);
    return samples;
}

Outcome writeCard(const QString& folder, const QStringList& args)
{
    return run(QStringLiteral(ZYN_CARDGEN), QStringList(args) << folder);
}

Exported exportSpan(const QStringList& inputs, const clip::Span& span, const QString& folder,
    const clip::Control& control)
{
    Exported exported;
    exported.plan = clip::planClips(inputs, span);
    for (const clip::ClipPlan& plan : exported.plan.clips)
        exported.results << clip::exportClip(plan, {folder, true, true, "zyn_clip_tests"}, control);
    return exported;
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace cliptest
