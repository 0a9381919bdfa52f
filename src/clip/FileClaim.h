#pragma once

#include <QString>

#include <memory>

// A temporary file that this process is writing, claimed for as long as the claim lives, so that
// another export into the same folder can tell it from one that a killed process or a power cut
// left behind (no process claims that one any more).
namespace clip {

class FileClaim
{
public:
    // Creates `path`, which must not exist yet, and claims it. Nothing when it cannot: `exists`
    // says whether the name was taken, `error` why else.
    static std::unique_ptr<FileClaim> create(const QString& path, bool* exists, QString* error);
    // True when the file is there and no process claims it.
    static bool unclaimed(const QString& path);

    ~FileClaim();
    FileClaim(const FileClaim&) = delete;
    FileClaim& operator=(const FileClaim&) = delete;

private:
    explicit FileClaim(qintptr handle)
        : m_handle(handle)
    { }
    qintptr m_handle;
};

} // namespace clip
