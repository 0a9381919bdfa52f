#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <memory>

// SHA-256 of recordings and of what is made from them (clips' checksum lists, the archive's
// copies), by OpenSSL's libcrypto: it uses the processor's SHA instructions where it has them,
// ten times the speed of Qt's own, which matters with cards of one-minute files of 100 MB.
namespace recording {

// A hash fed piece by piece, for data hashed as it passes (a copy hashes its source on the way).
class Sha256
{
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    // False once anything failed; the result is then empty.
    bool add(const char* data, qint64 size);
    // Lower-case hex; empty after a failure. Ends the hash.
    QByteArray hexResult();

private:
    struct Context;
    std::unique_ptr<Context> m_context;
    bool m_ok = false;
};

// A whole file's hash as lower-case hex; empty when it cannot be read to its end or `cancel`
// is set meanwhile.
QByteArray fileSha256(const QString& path, const std::atomic<bool>* cancel = nullptr);

} // namespace recording
