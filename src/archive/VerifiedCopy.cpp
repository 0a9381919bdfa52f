#include "archive/VerifiedCopy.h"

#include "archive/FileSync.h"
#include "recording/FileHash.h"

#include <QCoreApplication>
#include <QFile>

#include <vector>

namespace archive {

namespace {

constexpr qint64 kChunk = 4 << 20;
constexpr qint64 kProgressStep = 16 << 20;

bool cancelled(const std::atomic<bool>* cancel)
{
    return cancel && cancel->load();
}

} // namespace

int copyVerified(const QString& source, const QString& target, const CopyControl& control,
    QByteArray* sha256, QString* error)
{
    auto fail = [&](int code, const QString& reason) {
        QFile::remove(target);
        *error = reason;
        return code;
    };
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return fail(CannotRead,
            QCoreApplication::translate("archive", "cannot read %1: %2")
                .arg(source, in.errorString()));
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        *error = QCoreApplication::translate("archive", "cannot write %1: %2")
                     .arg(target, out.errorString());
        return CannotWrite;
    }
    recording::Sha256 hash;
    std::vector<char> buffer(static_cast<size_t>(kChunk));
    qint64 copied = 0, reported = 0;
    for (;;) {
        if (cancelled(control.cancel))
            return fail(CopyCancelled, QCoreApplication::translate("archive", "cancelled"));
        const qint64 got = in.read(buffer.data(), kChunk);
        if (got < 0)
            return fail(CannotRead,
                QCoreApplication::translate("archive", "cannot read %1: %2")
                    .arg(source, in.errorString()));
        if (got == 0)
            break;
        hash.add(buffer.data(), got);
        if (out.write(buffer.data(), got) != got)
            return fail(CannotWrite,
                QCoreApplication::translate("archive", "cannot write %1: %2")
                    .arg(target, out.errorString()));
        copied += got;
        if (control.progress && copied - reported >= kProgressStep) {
            reported = copied;
            control.progress(copied);
        }
    }
    if (!flushToDisk(out))
        return fail(CannotWrite,
            QCoreApplication::translate("archive", "cannot write %1: %2")
                .arg(target, out.errorString()));
    dropCachedPages(out);
    out.close();
    if (control.progress && copied != reported)
        control.progress(copied);
    const QByteArray sourceHash = hash.hexResult();
    if (control.beforeReadBack)
        control.beforeReadBack(target);
    const QByteArray copyHash = recording::fileSha256(target, control.cancel);
    if (cancelled(control.cancel))
        return fail(CopyCancelled, QCoreApplication::translate("archive", "cancelled"));
    if (copyHash != sourceHash)
        return fail(Mismatch,
            QCoreApplication::translate(
                "archive", "the copy of %1 read back differs from the card's file")
                .arg(source));
    *sha256 = sourceHash;
    return Copied;
}

} // namespace archive
