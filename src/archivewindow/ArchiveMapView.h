#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <optional>
#include <vector>

class CGoogleMap;
class QWebEngineProfile;

namespace archivewin {

struct MapPlace
{
    double latitude = 0;
    double longitude = 0;
};

// A point on the map the user can act on: an event of a drive or a pass a search found.
struct MapMark
{
    MapPlace place;
    int id = 0; // the window's index of the item
    QString label;
    QString kind; // events: their kind
};

// The archive window's map: the map page of the main window (same page, tiles and cache) in its
// archive view, which fills the widget and keeps a scale. It draws the chosen drives' routes
// and events and the passes found; a click on it, or a drag of the circle's edge, asks for a
// search. Without tiles (off line) the routes and markers are drawn on an empty layer.
class ArchiveMapView : public QWidget
{
    Q_OBJECT
public:
    ArchiveMapView(QWebEngineProfile* profile, const QString& pagePath, const QString& tiles,
        QWidget* parent = nullptr);
    ~ArchiveMapView() override;

    // What is drawn is kept, and drawn again on a page that is not ready yet.
    void showDrives(const std::vector<std::vector<MapPlace>>& routes,
        const std::vector<MapMark>& events, bool fit);
    void showPasses(const std::vector<MapMark>& passes);
    // A search typed in the window: its circle drawn, the map moved to it.
    void showSearch(double latitude, double longitude, double radiusMetres);

    bool isReady() const;
    CGoogleMap* map() const { return m_map; }
    // The script's console line "zyn:...", as the window reads it (tests feed it here too).
    void onPageMessage(const QString& message);

signals:
    void ready();
    void searchAsked(double latitude, double longitude, double radiusMetres);
    // what: "event" or "pass"; id: the mark's.
    void markChosen(const QString& what, int id);
    void playAsked(const QString& what, int id);

private:
    void onPageReady();
    void drawAll();

    CGoogleMap* m_map = nullptr; // child of this widget
    QString m_drivesScript;
    QString m_passesScript;
    QString m_searchScript;
};

} // namespace archivewin
