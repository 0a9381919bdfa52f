#pragma once

#include "map/MapRoute.h"
#include "map/MapWebPage.h"

#include <QObject>
#include <QPointer>
#include <QRect>

class CGoogleMap;
class QTimer;
class QWebEngineProfile;
class QWidget;

// The main window's map: the object it creates at initialisation and keeps for its whole life.
// The map window itself (CGoogleMap) is made anew each time the map is shown.
//
// How the main window uses it:
//
//     m_map = new MapWindow(this);                 // dialog initialisation
//     m_map->writePage(this);                      // string 145 in a message box on failure
//     m_map->setRoute(mapview::routeOfRecording(path)); // a one-channel recording opens...
//     m_map->showNew(this);                        // ...while on line
//     m_map->updatePosition(lat, lon);             // each tick of timer 100, while on line
//     m_map->hide(); m_map->show();                // popups over the map area; Stop
class MapWindow : public QObject
{
    Q_OBJECT
public:
    // Where the map window sits in the main window.
    static constexpr QRect kGeometry{684, 122, 310, 410};
    // The old browser is given this long to go before the new one comes.
    static constexpr int kRecreateDelayMs = 1000;

    // The browser keeps tiles in a disk cache under `storageName` in the user's folders, so
    // that each recording does not fetch them again; an empty name keeps them in memory only.
    explicit MapWindow(
        QObject* parent = nullptr, const QString& storageName = QStringLiteral("map"));
    ~MapWindow() override;

    // Puts the page in the program's folder, else in the user's data folder. When neither can
    // hold it, shows string 145 in a message box and returns 1; the map then has no page.
    int writePage(QWidget* messageParent = nullptr);
    // The same with the two folders given (tests, and programs with folders of their own).
    int writePage(
        const QString& programFolder, const QString& userFolder, QWidget* messageParent = nullptr);
    QString pagePath() const { return m_pagePath; }

    // Destroys the map window if there is one and, after kRecreateDelayMs (at once when there
    // was none), creates a new one as a child of `parent` at kGeometry and shows it. The
    // wait is a timer: the main window keeps running meanwhile.
    void showNew(QWidget* parent);
    // Show or hide the map window, if it exists (or is on its way).
    void show();
    void hide();

    bool exists() const;
    bool isCreationPending() const;
    // A map window is there or on its way, and is to be seen.
    bool isShown() const;
    CGoogleMap* window() const;

    // Moves the marker; dropped while no map window exists or its page has not loaded, and for
    // a position that is none.
    bool updatePosition(double latitude, double longitude);

    // The recording's route, drawn under the marker on every map window from now on; an empty
    // route clears it.
    void setRoute(const mapview::Route& route);
    const mapview::Route& route() const { return m_route; }
    // The whole drive's route, in a lighter line under the recording's; empty clears it.
    void setDriveRoute(const mapview::Route& route);
    const mapview::Route& driveRoute() const { return m_driveRoute; }

    // Tile source handed to the page: a URL template, or "none" for an empty map (tests, and
    // screenshots without a network). Empty: OpenStreetMap.
    void setTileSource(const QString& tiles) { m_tiles = tiles; }
    // Where followed links go; the system browser unless replaced (tests).
    void setLinkOpener(MapWebPage::LinkOpener opener) { m_openLink = std::move(opener); }

    // The browser profile of every map window (made with the first one).
    QWebEngineProfile* profile();

signals:
    void windowCreated(CGoogleMap* window);
    void pageReady();

private:
    void createWindow();
    void destroyWindow();
    void onPageReady();
    QUrl pageUrl() const;

    QString m_storageName;
    QWebEngineProfile* m_profile = nullptr; // child of this object
    QTimer* m_recreate = nullptr; // child of this object
    QPointer<CGoogleMap> m_window; // child of the main window
    QPointer<QWidget> m_parent;
    bool m_visible = false;
    QString m_pagePath;
    QString m_tiles;
    mapview::Route m_route;
    mapview::Route m_driveRoute;
    MapWebPage::LinkOpener m_openLink;
};
