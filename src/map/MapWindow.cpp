#include "map/MapWindow.h"

#include "map/CGoogleMap.h"
#include "map/MapPage.h"
#include "map/MapScript.h"
#include "platform/Dialogs.h"
#include "resources/Strings.h"

#include <QDesktopServices>
#include <QTimer>
#include <QWebEngineProfile>

namespace {

// Tile servers ask to be told who is calling (OpenStreetMap's tile usage policy); the engine's
// own identification stays in front, since pages judge the browser by it.
QString userAgent(const QString& engineAgent)
{
    return engineAgent + QStringLiteral(" ZYNViewer/") + QStringLiteral(ZYN_VERSION);
}

} // namespace

MapWindow::MapWindow(QObject* parent, const QString& storageName)
    : QObject(parent)
    , m_storageName(storageName)
    , m_recreate(new QTimer(this))
    , m_openLink([](const QUrl& url) { QDesktopServices::openUrl(url); })
{
    m_recreate->setSingleShot(true);
    m_recreate->setInterval(kRecreateDelayMs);
    connect(m_recreate, &QTimer::timeout, this, &MapWindow::createWindow);
}

MapWindow::~MapWindow()
{
    // Before the profile, which must outlive every page made with it.
    destroyWindow();
}

int MapWindow::writePage(QWidget* messageParent)
{
    return writePage(mapview::programFolder(), mapview::userDataFolder(), messageParent);
}

int MapWindow::writePage(
    const QString& programFolder, const QString& userFolder, QWidget* messageParent)
{
    m_pagePath = mapview::writePage(programFolder, userFolder);
    if (!m_pagePath.isEmpty())
        return 0;
    platform::messageBox(strings::text(145), {}, platform::Buttons::Ok, messageParent);
    return 1;
}

void MapWindow::showNew(QWidget* parent)
{
    m_parent = parent;
    m_visible = true;
    if (m_recreate->isActive())
        return;
    if (m_window) {
        destroyWindow();
        m_recreate->start();
        return;
    }
    createWindow();
}

void MapWindow::show()
{
    if (!m_window && !m_recreate->isActive())
        return;
    m_visible = true;
    if (m_window)
        m_window->show();
}

void MapWindow::hide()
{
    if (!m_window && !m_recreate->isActive())
        return;
    m_visible = false;
    if (m_window)
        m_window->hide();
}

bool MapWindow::exists() const
{
    return m_window != nullptr;
}

CGoogleMap* MapWindow::window() const
{
    return m_window;
}

bool MapWindow::isCreationPending() const
{
    return m_recreate->isActive();
}

bool MapWindow::isShown() const
{
    return (m_window || m_recreate->isActive()) && m_visible;
}

bool MapWindow::updatePosition(double latitude, double longitude)
{
    return m_window && m_window->updatePosition(latitude, longitude);
}

void MapWindow::setRoute(const mapview::Route& route)
{
    m_route = route;
    if (m_window)
        m_window->runScript(mapview::routeScript(m_route));
}

void MapWindow::setDriveRoute(const mapview::Route& route)
{
    if (route == m_driveRoute)
        return;
    m_driveRoute = route;
    if (m_window)
        m_window->runScript(mapview::driveRouteScript(m_driveRoute));
}

void MapWindow::createWindow()
{
    if (!m_parent)
        return;
    // Without a page (it could be written nowhere) the map area shows an empty window.
    m_window = new CGoogleMap(m_parent, profile(), pageUrl(), m_openLink);
    m_window->setGeometry(kGeometry);
    connect(m_window, &CGoogleMap::pageReady, this, &MapWindow::onPageReady);
    m_window->setVisible(m_visible);
    emit windowCreated(m_window);
}

QWebEngineProfile* MapWindow::profile()
{
    // Made with the first map window: the browser engine starts only when a map is shown.
    if (!m_profile) {
        m_profile = m_storageName.isEmpty() ? new QWebEngineProfile(this)
                                            : new QWebEngineProfile(m_storageName, this);
        m_profile->setHttpUserAgent(userAgent(m_profile->httpUserAgent()));
    }
    return m_profile;
}

void MapWindow::destroyWindow()
{
    delete m_window;
}

void MapWindow::onPageReady()
{
    if (!m_driveRoute.isEmpty())
        m_window->runScript(mapview::driveRouteScript(m_driveRoute));
    if (!m_route.isEmpty())
        m_window->runScript(mapview::routeScript(m_route));
    emit pageReady();
}

QUrl MapWindow::pageUrl() const
{
    if (m_pagePath.isEmpty())
        return {};
    QUrl url = QUrl::fromLocalFile(m_pagePath);
    if (!m_tiles.isEmpty())
        url.setQuery(
            QStringLiteral("tiles=") + QString::fromLatin1(QUrl::toPercentEncoding(m_tiles)));
    return url;
}
