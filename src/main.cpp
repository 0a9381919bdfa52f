#include "app/CKOB_PCMgrApp.h"
#include "platform/Library.h"
#include "platform/StartupTrace.h"

#include <QFileInfo>
#include <QtGlobal>

#include <cstring>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

bool platformChosen(int argc, char** argv)
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    platform::traceStartup("main");
#ifdef __GLIBC__
    // Every recording opened starts the decoder's threads anew, and glibc gives new threads
    // malloc arenas of their own (up to eight per core) that keep what they once held: the
    // viewer grew by some 12 MB with each recording until the arenas ran out. Two arenas hold
    // it flat at no cost in decoding time. A MALLOC_ARENA_MAX of the user's still rules.
    if (!qEnvironmentVariableIsSet("MALLOC_ARENA_MAX"))
        mallopt(M_ARENA_MAX, 2);
#endif
#ifdef Q_OS_UNIX
    // The map's embedded browser refuses to start its sandbox as root.
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // The borderless window and its popups stand at exact places, which Wayland does not let a
    // program choose: on a Wayland session the viewer goes through XWayland, unless the user
    // chose a platform.
    if (qEnvironmentVariableIsSet("WAYLAND_DISPLAY") && !platformChosen(argc, argv))
        qputenv("QT_QPA_PLATFORM", "xcb");
#endif
    // The player library, with the decoders and the rest it needs, is mapped on another core while
    // this one makes the application: the window finds it loaded when it asks for it.
    const platform::LibraryPreload player(platform::Library::playerLibraryFile(
        QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath()));
    CKOB_PCMgrApp::prepare();
    CKOB_PCMgrApp app(argc, argv);
    platform::traceStartup("application object");
    return app.run();
}
