#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace platform {

// Binary values under the product's key "SOFTWARE\Velqorin\ZYN Viewer\01.00.01". A key is a
// path below that key ("Viewer Config", "USB Config"); "\" separates its levels. Nothing here
// shows a dialog: a missing key or value simply reads as absent.
class Registry
{
public:
    static constexpr const char* kProductKey = "SOFTWARE\\Velqorin\\ZYN Viewer\\01.00.01";

    static std::optional<QByteArray> read(const QString& key, const QString& valueName);
    // Replaces the value whole or not at all; false when it could not be stored.
    static bool write(const QString& key, const QString& valueName, const QByteArray& bytes);
    // True when the value is gone afterwards (also when it never existed).
    static bool remove(const QString& key, const QString& valueName);

    // Where the file backend keeps the values: $ZYN_REGISTRY_ROOT, else $XDG_CONFIG_HOME,
    // else ~/.config, followed by "Velqorin/ZYN Viewer/01.00.01".
    static QString fileRoot();
};

} // namespace platform
