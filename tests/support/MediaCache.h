#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QStringList>

// Media files the tests make with ffmpeg, kept between runs.
namespace testsupport {

// Runs ffmpeg with the arguments (the output last) into a folder of `area` under the temporary
// folder, named for `key`, so that a cached file never outlives a change to what the tests
// expect of it; `tail` is appended. Written aside and renamed, so that test programs running
// side by side never read a half-written file. Empty when ffmpeg failed.
inline QString cachedFfmpegOutput(const QString& area, const QString& name, const QByteArray& key,
    const QStringList& arguments, const QByteArray& tail = {}, int limitMs = 120000)
{
    const QString folder = QDir::tempPath() + QLatin1Char('/') + area + QLatin1Char('/')
        + QString::fromLatin1(
            QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(16));
    QDir().mkpath(folder);
    const QString path = folder + QLatin1Char('/') + name;
    if (QFileInfo(path).size() > 0)
        return path;
    // The output's extension last, so that ffmpeg still knows the format from it.
    const QString partial = path
        + QStringLiteral(".%1.part.%2")
              .arg(QCoreApplication::applicationPid())
              .arg(QFileInfo(name).suffix());
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), arguments + QStringList{partial});
    if (!ffmpeg.waitForFinished(limitMs) || ffmpeg.exitCode() != 0) {
        ffmpeg.kill();
        ffmpeg.waitForFinished();
        QFile::remove(partial);
        return {};
    }
    QFile file(partial);
    if (!tail.isEmpty() && (!file.open(QIODevice::Append) || file.write(tail) != tail.size()))
        return {};
    file.close();
    if (!QFile::rename(partial, path))
        QFile::remove(partial); // another program finished the same file first
    return QFileInfo(path).size() > 0 ? path : QString();
}

} // namespace testsupport
