#include "platform/Library.h"

#include <QCoreApplication>
#include <QLibrary>

namespace platform {

Library::Library() = default;

Library::~Library() = default; // the library stays mapped: code of it may still be running

bool Library::load(const QString& fileName)
{
    unload();
    m_library = std::make_unique<QLibrary>();
    // A path is tried exactly as given first; for a bare name QLibrary may try its own "lib"
    // prefix and ".so" suffix before the name itself.
    m_library->setFileName(fileName);
    if (m_library->load())
        return true;
    return false;
}

void Library::unload()
{
    if (m_library && m_library->isLoaded())
        m_library->unload();
}

bool Library::isLoaded() const
{
    return m_library && m_library->isLoaded();
}

QString Library::errorString() const
{
    return m_library ? m_library->errorString() : QStringLiteral("no library loaded");
}

void* Library::resolve(const char* name, const char* decoratedName) const
{
    if (!isLoaded())
        return nullptr;
#if defined(Q_OS_WIN) && !defined(Q_OS_WIN64)
    if (decoratedName)
        if (QFunctionPointer fn = m_library->resolve(decoratedName))
            return reinterpret_cast<void*>(fn);
#else
    (void)decoratedName;
#endif
    return reinterpret_cast<void*>(m_library->resolve(name));
}

QString Library::playerLibraryFile()
{
    return playerLibraryFile(QCoreApplication::applicationDirPath());
}

QString Library::playerLibraryFile(const QString& programFolder)
{
#ifdef Q_OS_WIN
    (void)programFolder;
    return QStringLiteral("velqplayer.dll");
#else
    return programFolder + QStringLiteral("/libvelqplayer.so");
#endif
}

QString Library::usbLibraryFile()
{
#ifdef Q_OS_WIN
    return QStringLiteral("libusb0.dll");
#else
    return QStringLiteral("libusb-0.1.so.4");
#endif
}

LibraryPreload::LibraryPreload(const QString& fileName)
    : m_library(std::make_unique<QLibrary>(fileName))
{
    // Made here, loaded there: the object belongs to this thread, which also deletes it.
    m_thread = std::thread([library = m_library.get()] { library->load(); });
}

// Not unloaded: the library's own load() counts on it staying.
LibraryPreload::~LibraryPreload()
{
    m_thread.join();
}

} // namespace platform
