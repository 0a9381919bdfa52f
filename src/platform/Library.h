#pragma once

#include <QString>

#include <memory>
#include <thread>

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
    // elsewhere. The second form names it beside a program in programFolder, for the time before
    // the application object exists.
    static QString playerLibraryFile();
    static QString playerLibraryFile(const QString& programFolder);
    // The libusb 0.1 library: "libusb0.dll" on Windows, libusb-0.1.so.4 elsewhere.
    static QString usbLibraryFile();

private:
    std::unique_ptr<QLibrary> m_library;
};

// Loads a library on a thread of its own while its owner goes on with other work: mapping a
// library and the many it needs costs tens of milliseconds of one core. A later Library::load()
// of the same file finds it loaded, or waits for this load to end. The library stays loaded;
// the thread is joined when the object goes.
class LibraryPreload
{
public:
    explicit LibraryPreload(const QString& fileName);
    ~LibraryPreload();
    LibraryPreload(const LibraryPreload&) = delete;
    LibraryPreload& operator=(const LibraryPreload&) = delete;

private:
    std::unique_ptr<QLibrary> m_library;
    std::thread m_thread;
};

} // namespace platform
