#include "viewer/ClipMarks.h"

#include <algorithm>
#include <cmath>

void ClipMarks::setStart(const QString& recording, const QDateTime& at)
{
    m_start = at;
    m_startRecording = recording;
    if (m_end && *m_end <= at) {
        m_end.reset();
        m_endRecording.clear();
    }
}

void ClipMarks::setEnd(const QString& recording, const QDateTime& at)
{
    m_end = at;
    m_endRecording = recording;
    if (m_start && *m_start >= at) {
        m_start.reset();
        m_startRecording.clear();
    }
}

void ClipMarks::clear()
{
    *this = ClipMarks();
}

QStringList ClipMarks::recordings() const
{
    QStringList paths;
    for (const QString& path : {m_startRecording, m_endRecording}) {
        if (!path.isEmpty() && !paths.contains(path))
            paths.append(path);
    }
    return paths;
}

clip::Span ClipMarks::spanAround(const QDateTime& start, int seconds) const
{
    return {m_start.value_or(start), m_end.value_or(start.addSecs(seconds))};
}

std::optional<ClipMarks::Part> ClipMarks::partIn(const QDateTime& start, int seconds) const
{
    if (isEmpty() || !start.isValid() || seconds <= 0)
        return std::nullopt;
    const clip::Span span = spanAround(start, seconds);
    const qint64 from = start.secsTo(span.from);
    const qint64 to = start.secsTo(span.to);
    const qint64 shownFrom = std::max<qint64>(from, 0);
    const qint64 shownTo = std::min<qint64>(to, seconds);
    if (shownTo <= shownFrom)
        return std::nullopt;
    return Part{int(shownFrom), int(shownTo), !m_start || from < 0, !m_end || to > seconds};
}

QDateTime ClipMarks::startMoment(const QDateTime& start, double position)
{
    return start.addSecs(qint64(std::floor(std::max(position, 0.0))));
}

QDateTime ClipMarks::endMoment(const QDateTime& start, double position)
{
    return start.addSecs(std::max<qint64>(qint64(std::ceil(std::max(position, 0.0))), 1));
}
