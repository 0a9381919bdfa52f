#include "map/CGoogleMap.h"

#include "map/MapScript.h"

#include <QChildEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QVBoxLayout>
#include <QWebEngineSettings>
#include <QWebEngineView>

CGoogleMap::CGoogleMap(
    QWidget* parent, QWebEngineProfile* profile, const QUrl& page, MapWebPage::LinkOpener openLink)
    : QWidget(parent)
    , m_pageUrl(page)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_browser = new QWebEngineView(this);
    m_browser->setContextMenuPolicy(Qt::NoContextMenu);
    m_page = new MapWebPage(profile, page, std::move(openLink), m_browser);
    // The page is a local file; without this its tiles, from the network, would be refused.
    m_page->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    m_browser->setPage(m_page);
    layout->addWidget(m_browser);
    // The map is a picture to look at and drag: the keyboard stays with the main window, whose
    // keys drive playback. The browser takes focus through a widget it makes for the page, and
    // makes again when the page's process is restarted: watch for it.
    keepOffKeyboard(m_browser);
    if (QWidget* input = m_browser->focusProxy())
        keepOffKeyboard(input);
    bindMessageMap();
    if (!page.isEmpty())
        m_browser->load(page);
}

// The page must go before the profile it was made with; the browser owns it and goes with this
// window, which its owner deletes before the profile.
CGoogleMap::~CGoogleMap() = default;

void CGoogleMap::bindMessageMap()
{
    connect(m_browser, &QWebEngineView::loadStarted, this, &CGoogleMap::onLoadStarted);
    connect(m_browser, &QWebEngineView::loadFinished, this, &CGoogleMap::onLoadFinished);
}

void CGoogleMap::onLoadStarted()
{
    m_ready = false;
}

void CGoogleMap::onLoadFinished(bool ok)
{
    m_ready = ok;
    if (ok)
        emit pageReady();
}

bool CGoogleMap::updatePosition(double latitude, double longitude)
{
    if (!mapview::isMapPosition(latitude, longitude))
        return false;
    return runScript(mapview::updateMapScript(latitude, longitude));
}

bool CGoogleMap::runScript(const QString& script)
{
    if (!m_ready)
        return false;
    m_page->runJavaScript(script);
    return true;
}

void CGoogleMap::keepOffKeyboard(QWidget* widget)
{
    widget->setFocusPolicy(Qt::NoFocus);
    widget->installEventFilter(this);
}

bool CGoogleMap::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_browser && event->type() == QEvent::ChildAdded) {
        if (auto* child = qobject_cast<QWidget*>(static_cast<QChildEvent*>(event)->child()))
            keepOffKeyboard(child);
        return false;
    }
    switch (event->type()) {
    case QEvent::FocusIn: {
        // The browser gives its page the focus on a click whatever the policy says; handed back
        // once the click is done, so the next key reaches the main window.
        QPointer<QWidget> widget = qobject_cast<QWidget*>(watched);
        QMetaObject::invokeMethod(
            this,
            [widget] {
                if (widget && widget->hasFocus())
                    widget->clearFocus();
            },
            Qt::QueuedConnection);
        return false;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
        // F5 would reload the page, and the map with it.
        return static_cast<QKeyEvent*>(event)->key() == Qt::Key_F5;
    default:
        return false;
    }
}

void CGoogleMap::keyPressEvent(QKeyEvent* event)
{
    event->accept();
}

void CGoogleMap::keyReleaseEvent(QKeyEvent* event)
{
    event->accept();
}

void CGoogleMap::paintEvent(QPaintEvent*) { }
