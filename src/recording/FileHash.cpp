#include "recording/FileHash.h"

#include <QFile>

#include <openssl/evp.h>

namespace recording {

struct Sha256::Context
{
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> md{EVP_MD_CTX_new(), &EVP_MD_CTX_free};
};

Sha256::Sha256()
    : m_context(std::make_unique<Context>())
{
    m_ok = m_context->md && EVP_DigestInit_ex(m_context->md.get(), EVP_sha256(), nullptr) == 1;
}

Sha256::~Sha256() = default;

bool Sha256::add(const char* data, qint64 size)
{
    m_ok = m_ok && size >= 0 && EVP_DigestUpdate(m_context->md.get(), data, size_t(size)) == 1;
    return m_ok;
}

QByteArray Sha256::hexResult()
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!m_ok || EVP_DigestFinal_ex(m_context->md.get(), digest, &length) != 1)
        return {};
    m_ok = false;
    return QByteArray(reinterpret_cast<const char*>(digest), int(length)).toHex();
}

QByteArray fileSha256(const QString& path, const std::atomic<bool>* cancel)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    Sha256 hash;
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    qint64 total = 0;
    for (;;) {
        if (cancel && cancel->load())
            return {};
        const qint64 read = file.read(chunk.data(), chunk.size());
        if (read < 0)
            return {};
        if (read == 0)
            break;
        if (!hash.add(chunk.constData(), read))
            return {};
        total += read;
    }
    return total == file.size() ? hash.hexResult() : QByteArray();
}

} // namespace recording
