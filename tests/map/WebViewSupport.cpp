#include "WebViewSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <QWebEnginePage>

#include <memory>

#include <unistd.h>

// Qt's own web engine code trips two of AddressSanitizer's checks (a new/delete size mismatch
// and leaks it keeps until exit); this program takes them off, every other test keeps them. An
// ASAN_OPTIONS in the environment still overrides.
extern "C" const char* __asan_default_options()
{
    return "new_delete_type_mismatch=0:detect_leaks=0";
}

namespace {

// The engine reads these when it starts, with the first browser: as the viewer's main does,
// the sandbox goes when running as root, which the engine refuses otherwise.
const bool g_environment = [] {
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (!qEnvironmentVariableIsSet("QT_LOGGING_RULES"))
        qputenv("QT_LOGGING_RULES", "qt.webenginecontext.info=false");
    return true;
}();

} // namespace

namespace maptest {

QVariant evaluate(QWebEnginePage* page, const QString& script, int timeoutMs)
{
    struct Answer
    {
        QVariant value;
        bool done = false;
    };
    auto answer = std::make_shared<Answer>();
    QEventLoop loop;
    QPointer<QEventLoop> waiting(&loop);
    page->runJavaScript(script, [answer, waiting](const QVariant& value) {
        answer->value = value;
        answer->done = true;
        if (waiting)
            waiting->quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (!answer->done)
        loop.exec();
    return answer->done ? answer->value : QVariant();
}

bool waitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return condition();
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

} // namespace maptest
