#pragma once

#include <QImage>
#include <QSize>
#include <QString>

// The picture of a recording at a second, small, for the search's list: decoded with FFmpeg's
// libraries and kept in a cache folder, so a place searched again shows its pictures at once.
namespace archivewin {

// The size the list shows (the camera's 4:3 picture).
inline constexpr QSize kThumbnailSize{96, 72};

// The picture on show at `second` (the key frame before it, decoded on to that second), scaled
// to fit `size`; a null image when the recording has no picture there or cannot be decoded.
QImage decodePicture(const QString& recording, int second, const QSize& size = kThumbnailSize);

class ThumbnailCache
{
public:
    // `folder` empty: the user's cache folder of the viewer.
    explicit ThumbnailCache(const QString& folder = {});

    // The cached picture, or a null image when it is not cached (nothing is decoded). A changed
    // recording (another size or time) is another entry.
    QImage cached(const QString& recording, int second) const;
    // Decodes, stores and returns the picture; null when it cannot be decoded.
    QImage make(const QString& recording, int second);
    // Keeps a picture of the recording's second; false when it could not be written.
    bool store(const QString& recording, int second, const QImage& picture);

    QString folder() const { return m_folder; }

private:
    QString fileFor(const QString& recording, int second) const;
    QString m_folder;
};

} // namespace archivewin
