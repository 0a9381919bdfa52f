#include "app/CKOB_PCMgrApp.h"

#include "resources/Fonts.h"
#include "viewer/CKOB_PCMgrDlg.h"

CKOB_PCMgrApp::CKOB_PCMgrApp(int& argc, char** argv)
    : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("ZYN Viewer"));
    setOrganizationName(QStringLiteral("Velqorin"));
    setApplicationVersion(QStringLiteral(ZYN_VERSION));
    // The popups are separate top-level windows: hiding the last one must not end the run.
    setQuitOnLastWindowClosed(false);
}

int CKOB_PCMgrApp::run()
{
    fonts::registerFonts();
    CKOB_PCMgrDlg window;
    window.exec();
    return 0;
}
