#pragma once

#include <QString>

#include <memory>

class QLibrary;

namespace platform {

// A shared library loaded at run time, and the lookup of its exports.
class Library
{
public:
    Library();
    ~Library();
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    // A bare name ("libusb-0.1.so.4") is searched the way the system searches; a path is
    // loaded from there. Loading again first unloads what was loaded.
    bool load(const QString& fileName);
    void unload();
    bool isLoaded() const;
    QString errorString() const;

    // The export's address, or nullptr. decoratedName is the 32-bit Windows stdcall name
    // ("setInst@4"); it is looked up only there.
    void* resolve(const char* name, const char* decoratedName = nullptr) const;

    template<typename Fn>
    Fn resolveAs(const char* name, const char* decoratedName = nullptr) const
    {
        return reinterpret_cast<Fn>(resolve(name, decoratedName));
    }

    // The player library: "velqplayer.dll" on Windows, libvelqplayer.so beside the executable
    // elsewhere.
    static QString playerLibraryFile();
    // The libusb 0.1 library: "libusb0.dll" on Windows, libusb-0.1.so.4 elsewhere.
    static QString usbLibraryFile();

private:
    std::unique_ptr<QLibrary> m_library;
};

} // namespace platform
