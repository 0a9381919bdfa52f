#include "app/CKOB_PCMgrApp.h"

#include "platform/StartupTrace.h"
#include "resources/Fonts.h"
#include "resources/Language.h"
#include "viewer/CKOB_PCMgrDlg.h"

#include <QEvent>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <utility>

namespace {

// Runs work once the window has painted itself for the first time.
class AfterFirstPaint : public QObject
{
public:
    AfterFirstPaint(QWidget* window, std::function<void()> work)
        : QObject(window)
        , m_window(window)
        , m_work(std::move(work))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_window && event->type() == QEvent::Paint) {
            m_window->removeEventFilter(this);
            // Queued: it runs once this paint is done and on the screen.
            QTimer::singleShot(0, m_window, std::move(m_work));
            deleteLater();
        }
        return false;
    }

private:
    QWidget* m_window;
    std::function<void()> m_work;
};

} // namespace

void CKOB_PCMgrApp::prepare()
{
    // The map's embedded browser is hosted in the viewer's dialogs; it needs the windows to share
    // their graphics contexts, which can only be asked for before the application exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // The browser's only picture is the 310 x 410 map, which the processor draws at no cost;
    // composing it through the graphics driver kept some 60 MB more resident (where there is
    // no graphics card, as in a virtual machine, Mesa's software driver) and ties the map to
    // drivers that may show it black. A backend chosen by the user's QT_QUICK_BACKEND stays.
    if (!qEnvironmentVariableIsSet("QT_QUICK_BACKEND")
        && !qEnvironmentVariableIsSet("QSG_RHI_BACKEND"))
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
}

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
    platform::traceStartup("fonts");
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    // Before the first text is made: every window is born in its language.
    if (!strings::setLanguage(strings::systemLanguage(arguments)))
        std::fprintf(stderr, "zyn-viewer: the English translation is missing; staying Russian\n");
    platform::traceStartup("language");
    // The main window runs modally; the configuration is read while it is created and written
    // while it is destroyed, and the process ends once it is gone.
    {
        CKOB_PCMgrDlg window;
        platform::traceStartup("window made");
        // Recordings named on the command line (a file manager opening them with the viewer)
        // join the list once the window is on screen: opening one starts the map's browser,
        // which would hold the window's first paint back by a good part of a second.
        const QStringList given = strings::withoutLanguageOption(arguments);
        if (!given.isEmpty())
            new AfterFirstPaint(&window, [&window, given] { window.openRecordings(given); });
        window.exec();
    }
    return 0;
}
