#include "app/CKOB_PCMgrApp.h"

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

int main(int argc, char** argv)
{
#ifdef Q_OS_UNIX
    // The map's embedded browser refuses to start its sandbox as root.
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
#endif
    CKOB_PCMgrApp::prepare();
    CKOB_PCMgrApp app(argc, argv);
    return app.run();
}
