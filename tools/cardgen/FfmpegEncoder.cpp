#include "FfmpegEncoder.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

constexpr int encodeTimeoutMs = 10 * 60 * 1000;

QString fontOption()
{
    const QStringList candidates = {
        QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf"),
        QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"),
        QStringLiteral("/usr/share/wine/fonts/tahoma.ttf"),
    };
    for (const QString& path : candidates) {
        if (QFileInfo::exists(path))
            return QStringLiteral("fontfile=%1:").arg(path);
    }
    return {}; // fontconfig's default face
}

// The scene is painted once by geq (per-pixel expressions are slow) and looped; only boxes
// whose position follows the clock are drawn per frame. geq sees the chroma planes at half
// size, hence coordinates relative to W and H.
QString background()
{
    const QString horizon = QStringLiteral("0.42");
    const QString road = QStringLiteral("lt(abs(X/W-0.5),0.02+(Y/H-%1)*1.25)").arg(horizon);
    const QString skyline
        = QStringLiteral("gt(Y/H,%1-0.03-0.05*mod(floor(X/W*23)*7,5)/4)").arg(horizon);
    return QStringLiteral(
        "color=c=black:s=640x480:d=1,format=yuv420p,"
        "geq=lum='if(lt(Y/H,%1),if(%3,55,200-Y/H*160),if(%2,80,105)+mod(X*7+Y*13,11))'"
        ":cb='if(lt(Y/H,%1),if(%3,125,150),if(%2,128,112))'"
        ":cr='if(lt(Y/H,%1),if(%3,128,118),if(%2,128,122))',"
        "loop=loop=-1:size=1")
        .arg(horizon, road, skyline);
}

// Lane dashes and roadside posts rush towards the camera; a car ahead weaves a little.
QString movingScenery(int variant)
{
    QStringList boxes;
    for (int i = 0; i < 3; ++i) {
        const QString p = QStringLiteral("pow(mod(t*1.6+%1,1),2)").arg(i / 3.0 + variant * 0.17);
        boxes << QStringLiteral("drawbox=x='317-%1*14':y='202+%1*270':w='6+%1*28':h='4+%1*36'"
                                ":color=0xe8e8e8:t=fill")
                     .arg(p);
        boxes << QStringLiteral("drawbox=x='300-%1*330':y='190+%1*180':w='3+%1*14':h='12+%1*90'"
                                ":color=0xd0d0d0:t=fill")
                     .arg(p);
        boxes << QStringLiteral("drawbox=x='336+%1*300':y='190+%1*180':w='3+%1*14':h='12+%1*90'"
                                ":color=0xd0d0d0:t=fill")
                     .arg(p);
    }
    const QString sway = QStringLiteral("18*sin(t/2.7+%1)").arg(variant);
    boxes << QStringLiteral("drawbox=x='292+%1':y=214:w=56:h=30:color=0x7a1c1c:t=fill").arg(sway);
    boxes << QStringLiteral("drawbox=x='300+%1':y=202:w=40:h=14:color=0x30303a:t=fill").arg(sway);
    boxes << QStringLiteral("drawbox=x='296+%1':y=230:w=10:h=5:color=0xff3020:t=fill").arg(sway);
    boxes << QStringLiteral("drawbox=x='334+%1':y=230:w=10:h=5:color=0xff3020:t=fill").arg(sway);
    return boxes.join(',');
}

QString clock(const QDateTime& start, const QString& label)
{
    // The burnt-in clock shows the recorder's wall time whatever the zone of this machine:
    // that wall time is handed to gmtime as if it were UTC.
    const qint64 wallEpoch = start.toSecsSinceEpoch() + start.offsetFromUtc();
    return QStringLiteral("drawtext=%1fontsize=20:fontcolor=white:box=1:boxcolor=black@0.5"
                          ":boxborderw=4:x=10:y=450"
                          ":text='%{pts\\:gmtime\\:%2\\:%Y/%m/%d %H\\\\\\:%M\\\\\\:%S}   %3'")
        .arg(fontOption())
        .arg(wallEpoch)
        .arg(label);
}

QStringList codecArguments(const QString& codec)
{
    if (codec == QLatin1String("mpeg4"))
        return {"-c:v", "mpeg4", "-q:v", "7", "-g", "30", "-pix_fmt", "yuv420p"};
    if (codec == QLatin1String("mjpeg"))
        return {"-c:v", "mjpeg", "-q:v", "7", "-pix_fmt", "yuvj420p"};
    return {
        "-c:v", "libx264", "-preset", "ultrafast", "-crf", "30", "-g", "30", "-pix_fmt", "yuv420p"};
}

QString lastLine(const QByteArray& text)
{
    const QList<QByteArray> lines = text.trimmed().split('\n');
    return lines.isEmpty() ? QString() : QString::fromLocal8Bit(lines.last().trimmed());
}

} // namespace

QString FfmpegEncoder::findProgram()
{
    return QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
}

FfmpegEncoder::FfmpegEncoder(const QString& program)
    : m_program(program)
{ }

QStringList FfmpegEncoder::arguments(const Job& job)
{
    const QString video
        = QStringLiteral("%1,%2,%3,fps=%4[v]")
              .arg(background(), movingScenery(job.variant), clock(job.start, job.label))
              .arg(job.fps);
    const QString audio = QStringLiteral("sine=f=%1:r=32000,volume=0.25[hum];"
                                         "anoisesrc=c=brown:r=32000:a=0.08:seed=%2[road];"
                                         "[hum][road]amix=inputs=2:normalize=0[a]")
                              .arg(70 + job.variant % 5 * 7)
                              .arg(job.variant + 1);
    QStringList args = {"-hide_banner", "-nostdin", "-v", "error", "-y", "-filter_complex",
        job.sound ? video + ';' + audio : video, "-map", "[v]"};
    if (job.sound)
        args << QStringList{"-map", "[a]"};
    args << QStringList{"-t", QString::number(job.seconds)};
    args << codecArguments(job.codec);
    if (job.sound)
        args << QStringList{"-c:a", "aac", "-b:a", "48k", "-ac", "1"};
    args << QStringList{"-metadata", "creation_time=" + job.start.toUTC().toString(Qt::ISODate),
        "-f", "mp4", job.output};
    return args;
}

bool FfmpegEncoder::encode(const Job& job, QString* error) const
{
    QProcess process;
    process.setProgram(m_program);
    process.setArguments(arguments(job));
    process.start();
    if (!process.waitForStarted()) {
        *error = QStringLiteral("cannot start %1: %2").arg(m_program, process.errorString());
        return false;
    }
    if (!process.waitForFinished(encodeTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        *error = QStringLiteral("ffmpeg did not finish within %1 s").arg(encodeTimeoutMs / 1000);
        return false;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        const QString reason = lastLine(process.readAllStandardError());
        *error = QStringLiteral("ffmpeg failed (exit code %1)%2")
                     .arg(process.exitCode())
                     .arg(reason.isEmpty() ? QString() : ": " + reason);
        return false;
    }
    return true;
}
