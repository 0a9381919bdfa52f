#pragma once

#include <QUrl>
#include <QWebEnginePage>

#include <functional>

// The map's web page: it goes nowhere but the map page file. A link the user follows (the map
// credits, a link opening a new window) is handed to `openLink`, normally the system browser,
// instead of replacing the map; any other navigation elsewhere is refused.
class MapWebPage : public QWebEnginePage
{
    Q_OBJECT
public:
    using LinkOpener = std::function<void(const QUrl&)>;

    MapWebPage(QWebEngineProfile* profile, const QUrl& pageFile, LinkOpener openLink,
        QObject* parent = nullptr);

    // Web links only: a page must not make the desktop open local files or other schemes.
    static bool isWebLink(const QUrl& url);

signals:
    void consoleMessage(const QString& message);

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage* createWindow(WebWindowType type) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
        int lineNumber, const QString& sourceID) override;

private:
    void follow(const QUrl& url);

    QUrl m_pageFile;
    LinkOpener m_openLink;
};
