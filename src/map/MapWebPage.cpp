#include "map/MapWebPage.h"

namespace {

// Stands in for a new window the page asks for: the first address it is sent to goes to the
// link opener, and the page goes with it.
class LinkCatcher : public QWebEnginePage
{
public:
    LinkCatcher(QWebEngineProfile* profile, MapWebPage::LinkOpener openLink, QObject* parent)
        : QWebEnginePage(profile, parent)
        , m_openLink(std::move(openLink))
    { }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool) override
    {
        // A window opened empty first is sent on afterwards: wait for that address.
        if (url.scheme() == QLatin1String("about"))
            return true;
        if (!m_done && MapWebPage::isWebLink(url) && m_openLink)
            m_openLink(url);
        m_done = true;
        deleteLater();
        return false;
    }

private:
    MapWebPage::LinkOpener m_openLink;
    bool m_done = false;
};

} // namespace

MapWebPage::MapWebPage(
    QWebEngineProfile* profile, const QUrl& pageFile, LinkOpener openLink, QObject* parent)
    : QWebEnginePage(profile, parent)
    , m_pageFile(pageFile.adjusted(QUrl::RemoveQuery | QUrl::RemoveFragment))
    , m_openLink(std::move(openLink))
{ }

bool MapWebPage::isWebLink(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

bool MapWebPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame)
{
    if (url.adjusted(QUrl::RemoveQuery | QUrl::RemoveFragment) == m_pageFile)
        return true;
    if (!isMainFrame)
        return false;
    if (type == NavigationTypeLinkClicked)
        follow(url);
    return false;
}

QWebEnginePage* MapWebPage::createWindow(WebWindowType)
{
    return new LinkCatcher(profile(), m_openLink, this);
}

void MapWebPage::javaScriptConsoleMessage(
    JavaScriptConsoleMessageLevel, const QString& message, int, const QString&)
{
    emit consoleMessage(message);
}

void MapWebPage::follow(const QUrl& url)
{
    if (isWebLink(url) && m_openLink)
        m_openLink(url);
}
