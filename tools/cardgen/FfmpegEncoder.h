#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// The video and sound of one recording, made by the ffmpeg command: a synthetic road seen
// through the windscreen with the recorder's clock burnt in, and engine hum with road noise.
class FfmpegEncoder
{
public:
    struct Job
    {
        QString output; // written as MP4 whatever its extension
        int seconds = 60;
        QString codec = QStringLiteral("h264"); // h264, mpeg4 or mjpeg
        int fps = 30;
        QDateTime start; // the recorder's wall clock, shown in the picture
        QString label; // shown beside the clock
        int variant = 0; // shifts the moving scenery so that files differ
        bool sound = true; // false: a camera with its microphone off writes video only
    };

    static QStringList codecs() { return {"h264", "mpeg4", "mjpeg"}; }

    // The ffmpeg on PATH, or an empty string.
    static QString findProgram();

    explicit FfmpegEncoder(const QString& program);

    static QStringList arguments(const Job& job);

    // Returns true when ffmpeg wrote the file; otherwise `error` holds one line saying why.
    bool encode(const Job& job, QString* error) const;

private:
    QString m_program;
};
