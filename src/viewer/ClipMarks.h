#pragma once

#include "clip/ClipSpan.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

// The span the user marks for a clip: two moments of the camera's wall clock (to the second,
// as the recordings' names give them) and the recordings they were marked in. The marks may lie
// in different recordings; which recordings join between them is the export's business.
class ClipMarks
{
public:
    // A start after the end, or an end before the start, drops the other mark: the new one is
    // what the user means now.
    void setStart(const QString& recording, const QDateTime& at);
    void setEnd(const QString& recording, const QDateTime& at);
    void clear();

    bool isEmpty() const { return !m_start && !m_end; }
    const std::optional<QDateTime>& start() const { return m_start; }
    const std::optional<QDateTime>& end() const { return m_end; }
    // The recordings the marks were set in, the start's first.
    QStringList recordings() const;

    // The span the marks give for a recording starting at `start` and lasting `seconds`: a
    // missing mark is taken from that recording's start or end.
    clip::Span spanAround(const QDateTime& start, int seconds) const;
    // The part of the span within a recording: its seconds, from `from` up to `to`, and whether
    // the span goes on before the recording's start or past its end (a missing mark leaves
    // that side open).
    struct Part
    {
        int from = 0;
        int to = 0;
        bool fromEarlier = false;
        bool toLater = false;
        bool operator==(const Part&) const = default;
    };
    // Nothing when no mark is set or the span does not reach into the recording.
    std::optional<Part> partIn(const QDateTime& start, int seconds) const;

    // The moment `position` seconds into a recording named for `start`: the start mark takes
    // the second under way, the end mark the next whole one (a mark at 12.4 s ends after the
    // picture shown).
    static QDateTime startMoment(const QDateTime& start, double position);
    static QDateTime endMoment(const QDateTime& start, double position);

private:
    std::optional<QDateTime> m_start;
    std::optional<QDateTime> m_end;
    QString m_startRecording;
    QString m_endRecording;
};
