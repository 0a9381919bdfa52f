#include "clip/ClipSpan.h"

#include "recording/CardFiles.h"
#include "recording/EventIndex.h"
#include "recording/RecordingName.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMap>

#include <algorithm>
#include <map>

#include "clip/LibavInput.h"
#include "media/PlayableCheck.h"

extern "C" {
#include <libavutil/log.h>
}

namespace clip {

namespace {

int64_t wallUs(const QDateTime& moment)
{
    return moment.toMSecsSinceEpoch() * 1000;
}

QString kindOf(const QString& path)
{
    return recording::kindName(nameOnly(path));
}

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString moment(const QDateTime& time)
{
    return time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// The event records of the clip's recordings that lie inside its span, and the kind they give
// its name: a clip that carries an event marker is named as an event recording, so that viewers
// load its event index.
void collectEvents(ClipPlan& plan)
{
    plan.kind = QStringLiteral("drf");
    QStringList seen;
    for (const Piece& piece : plan.pieces) {
        const QString& path = piece.source.path;
        if (seen.contains(path) || !recording::hasEventIndex(nameOnly(path)))
            continue;
        seen.append(path);
        recording::EventIndex events;
        if (!recording::loadEventRecords(path, events) || !events.loaded)
            continue;
        for (int32_t i = 0; i < events.count; ++i) {
            const std::optional<QDateTime> moment = recording::eventMoment(events.recordText(i));
            if (!moment || *moment < plan.span.from || *moment >= plan.span.to)
                continue;
            plan.eventRecords.append(reinterpret_cast<const char*>(events.records.data())
                    + size_t(i) * recording::EventIndex::kRecordSize,
                qsizetype(recording::EventIndex::kRecordSize));
            if (plan.kind == QLatin1String("drf"))
                plan.kind = piece.source.kind;
        }
    }
}

} // namespace

ClipPlan planOf(QList<Piece> pieces)
{
    ClipPlan plan;
    int64_t totalUs = 0;
    for (const Piece& piece : pieces)
        totalUs += piece.toUs - piece.fromUs;
    const Piece& first = pieces.first();
    plan.span.from = first.source.start.addSecs(first.fromUs / 1'000'000);
    plan.span.to = plan.span.from.addSecs(std::max<int64_t>(1, (totalUs + 500'000) / 1'000'000));
    plan.pieces = std::move(pieces);
    collectEvents(plan);
    return plan;
}

namespace {

// The recordings to choose from, grouped by folder and ordered by their names' times.
std::map<QString, QList<QPair<QDateTime, QString>>> candidatesByFolder(
    const QStringList& candidates, QStringList* messages)
{
    std::map<QString, QMap<QString, QDateTime>> byFolder;
    auto add = [&](const QString& path) {
        const QFileInfo info(path);
        const std::optional<QDateTime> start = recording::recordingStart(info.fileName());
        if (start)
            byFolder[info.absolutePath()][info.absoluteFilePath()] = *start;
        return start.has_value();
    };
    auto addCard = [&](const QString& folder) {
        for (const QString& recording : recording::folderRecordings(folder))
            add(recording);
    };
    for (const QString& path : candidates) {
        const QFileInfo info(path);
        if (info.isDir()) {
            addCard(path);
            continue;
        }
        const recording::CardName name = recording::classifyName(info.fileName());
        if (name.role == recording::CardRole::Recording
            || name.role == recording::CardRole::Recovered) {
            // The card's listing holds it, or the recovered copy standing in for it.
            addCard(info.absolutePath());
            if (info.exists())
                continue;
        }
        if (!add(path))
            messages->append(QCoreApplication::translate("clip",
                "%1: the name carries no start time (expected "
                "prefix_YYYYMMDD_HHMMSS.mp4)")
                                 .arg(shown(path)));
    }
    std::map<QString, QList<QPair<QDateTime, QString>>> sorted;
    for (const auto& [folder, recordings] : byFolder) {
        QList<QPair<QDateTime, QString>>& list = sorted[folder];
        for (auto it = recordings.begin(); it != recordings.end(); ++it)
            list.append({it.value(), it.key()});
        std::sort(list.begin(), list.end());
    }
    return sorted;
}

// Why `source` cannot continue `chain`, or nothing when it can.
std::optional<QString> breakBefore(const QList<Piece>& chain, const Source& source, int64_t start)
{
    if (chain.isEmpty())
        return std::nullopt;
    const Source& previous = chain.last().source;
    const int64_t previousEnd = wallUs(previous.start) + previous.durationUs;
    if (std::llabs(start - previousEnd) > kJoinToleranceUs)
        return QCoreApplication::translate("clip",
            "%1 does not continue the recording before it: a new clip starts "
            "there")
            .arg(shown(source.path));
    if (source.streams != previous.streams)
        return QCoreApplication::translate("clip",
            "%1 has other stream parameters (codec or picture size) than the "
            "recording before it: a new clip starts there")
            .arg(shown(source.path));
    return std::nullopt;
}

// What the recordings cover, as runs of continuing recordings: "the recordings cover
// 2025-06-14 14:23:37 to 2025-06-14 14:26:37". Only asked when nothing could be planned.
QString coverage(const std::map<QString, QList<QPair<QDateTime, QString>>>& byFolder)
{
    constexpr qsizetype kRunsShown = 6;
    QList<Span> runs;
    for (const auto& [folder, recordings] : byFolder) {
        for (const auto& [start, path] : recordings) {
            QString error;
            if (const std::optional<Source> source = probeRecording(path, &error))
                runs.append({start, start.addSecs((source->durationUs + 999'999) / 1'000'000)});
        }
    }
    if (runs.isEmpty())
        return QCoreApplication::translate("clip", "none of the recordings can be read");
    std::sort(
        runs.begin(), runs.end(), [](const Span& a, const Span& b) { return a.from < b.from; });
    QList<Span> joined;
    for (const Span& run : runs) {
        if (!joined.isEmpty() && wallUs(run.from) <= wallUs(joined.last().to) + kJoinToleranceUs)
            joined.last().to = std::max(joined.last().to, run.to);
        else
            joined.append(run);
    }
    QStringList shownRuns;
    for (const Span& run : joined.first(std::min(joined.size(), kRunsShown)))
        shownRuns.append(
            QCoreApplication::translate("clip", "%1 to %2").arg(moment(run.from), moment(run.to)));
    if (joined.size() > kRunsShown)
        shownRuns.append(QStringLiteral("…"));
    return QCoreApplication::translate("clip", "the recordings cover %1")
        .arg(shownRuns.join(QStringLiteral(", ")));
}

// The clips of one folder's recordings, ordered by their start, that the span touches.
void planFolder(
    const QList<QPair<QDateTime, QString>>& recordings, const Span& span, PlanResult& result)
{
    const int64_t from = wallUs(span.from);
    const int64_t to = wallUs(span.to);
    // The recording holding the span's first second, else the first one after it.
    qsizetype i = 0;
    while (i + 1 < recordings.size() && wallUs(recordings[i + 1].first) <= from)
        ++i;
    QList<Piece> chain;
    for (; i < recordings.size() && wallUs(recordings[i].first) < to; ++i) {
        const int64_t start = wallUs(recordings[i].first);
        QString error;
        const std::optional<Source> source = probeRecording(recordings[i].second, &error);
        if (!source) {
            // One damaged recording must not cost the readable ones after it: the clip so far
            // ends before it and the span goes on in a new clip.
            result.messages.append(QCoreApplication::translate("clip",
                "%1 cannot be read (%2): it is left out, and the span goes on after it in a "
                "new clip (a recording the camera never closed can be recovered with "
                "zyn-recover or the viewer)")
                                       .arg(shown(recordings[i].second), error));
            result.unreadable.append(recordings[i].second);
            if (!chain.isEmpty())
                result.clips.append(planOf(std::move(chain)));
            chain.clear();
            continue;
        }
        if (start + source->durationUs <= from)
            continue;
        if (const std::optional<QString> reason = breakBefore(chain, *source, start)) {
            result.messages.append(*reason);
            result.clips.append(planOf(std::move(chain)));
            chain.clear();
        }
        if (chain.isEmpty() && start > from && result.clips.isEmpty())
            result.messages.append(
                QCoreApplication::translate("clip", "no recording holds %1: the clip starts at %2")
                    .arg(moment(span.from), moment(recordings[i].first)));
        chain.append({*source, std::max<int64_t>(0, from - start),
            std::min(source->durationUs, to - start)});
    }
    if (!chain.isEmpty())
        result.clips.append(planOf(std::move(chain)));
}

} // namespace

QString nameOnly(const QString& path)
{
    return QLatin1Char('/') + QFileInfo(path).fileName();
}

std::optional<Source> probeRecording(const QString& path, QString* error)
{
    if (!QFileInfo(path).isFile()) {
        *error = QCoreApplication::translate("clip", "no such file");
        return std::nullopt;
    }
    const std::optional<QDateTime> start = recording::recordingStart(QFileInfo(path).fileName());
    if (!start) {
        *error = QCoreApplication::translate("clip", "the name carries no start time");
        return std::nullopt;
    }
    int opened = 0;
    const libav::Input input = libav::openInput(path, &opened);
    if (!input) {
        *error = libav::errorText(opened);
        return std::nullopt;
    }
    // A recording whose first frames do not decode (damaged sample descriptions or tables)
    // would only give a clip that no player opens.
    if (const media::PlayableCheck playable = libav::checkFirstFrames(path); !playable.ok()) {
        *error = libav::faultText(playable);
        return std::nullopt;
    }
    const AVFormatContext* context = input.get();
    Source source;
    source.path = QFileInfo(path).absoluteFilePath();
    source.start = *start;
    source.kind = kindOf(path);
    int64_t videoUs = -1;
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVStream* stream = context->streams[i];
        const AVCodecParameters* p = stream->codecpar;
        if (p->codec_type != AVMEDIA_TYPE_VIDEO && p->codec_type != AVMEDIA_TYPE_AUDIO)
            continue;
        source.streams += QStringLiteral("%1:%2:%3x%4:%5:%6:")
                              .arg(int(p->codec_type))
                              .arg(int(p->codec_id))
                              .arg(p->width)
                              .arg(p->height)
                              .arg(p->sample_rate)
                              .arg(p->ch_layout.nb_channels)
                              .toLatin1();
        source.streams
            += QByteArray(reinterpret_cast<const char*>(p->extradata), p->extradata_size).toHex()
            + ';';
        if (p->codec_type == AVMEDIA_TYPE_VIDEO && videoUs < 0 && stream->duration > 0)
            videoUs = av_rescale_q(stream->duration, stream->time_base, AV_TIME_BASE_Q);
    }
    const int64_t containerUs = context->duration > 0 ? context->duration : 0;
    source.durationUs = videoUs > 0 ? videoUs : containerUs;
    if (source.streams.isEmpty() || source.durationUs <= 0) {
        *error = QCoreApplication::translate("clip", "it holds no video or sound");
        return std::nullopt;
    }
    return source;
}

PlanResult planClips(const QStringList& candidates, const Span& span)
{
    PlanResult result;
    if (!span.from.isValid() || !span.to.isValid() || span.to <= span.from) {
        result.messages.append(QCoreApplication::translate(
            "clip", "the span is empty: its end is not after its start"));
        return result;
    }
    const auto byFolder = candidatesByFolder(candidates, &result.messages);
    for (const auto& [folder, recordings] : byFolder)
        planFolder(recordings, span, result);
    if (result.clips.isEmpty() && !byFolder.empty()) {
        result.messages.append(
            QCoreApplication::translate("clip", "no recording covers %1 to %2: %3")
                .arg(moment(span.from), moment(span.to), coverage(byFolder)));
    } else if (!result.clips.isEmpty()) {
        const QDateTime reached = result.clips.last().span.to;
        if (reached < span.to.addSecs(-1))
            result.messages.append(
                QCoreApplication::translate("clip", "the recordings end at %1, before the span")
                    .arg(moment(reached)));
    }
    return result;
}

QList<Span> eventSpans(const QString& path)
{
    recording::EventIndex events;
    QList<Span> spans;
    if (!recording::loadEventRecords(path, events) || !events.loaded)
        return spans;
    for (int32_t i = 0; i < events.count; ++i) {
        if (const std::optional<QDateTime> moment = recording::eventMoment(events.recordText(i)))
            spans.append({moment->addSecs(-kEventMargin), moment->addSecs(kEventMargin)});
    }
    return mergeSpans(spans);
}

QList<Span> mergeSpans(QList<Span> spans)
{
    std::sort(
        spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.from < b.from; });
    QList<Span> merged;
    for (const Span& span : spans) {
        if (!merged.isEmpty() && span.from <= merged.last().to)
            merged.last().to = std::max(merged.last().to, span.to);
        else
            merged.append(span);
    }
    return merged;
}

void quietLibraryLog()
{
    av_log_set_level(AV_LOG_FATAL);
}

std::optional<Span> recordingsSpan(const QStringList& recordings, QStringList* messages)
{
    std::optional<Span> span;
    for (const QString& path : recordings) {
        QString error;
        const std::optional<Source> source = probeRecording(path, &error);
        if (!source) {
            messages->append(QCoreApplication::translate("clip", "%1 cannot be read (%2)")
                                 .arg(shown(path), error));
            continue;
        }
        const QDateTime end = source->start.addSecs((source->durationUs + 999'999) / 1'000'000);
        if (!span)
            span = Span{source->start, end};
        span->from = std::min(span->from, source->start);
        span->to = std::max(span->to, end);
    }
    return span;
}

} // namespace clip
