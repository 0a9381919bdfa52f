#pragma once

#include "map/MapWebPage.h"

#include <QWidget>

class QWebEngineProfile;
class QWebEngineView;

// The map window: a child window hosting the browser that shows the map page. It is made anew
// each time the map is shown (see MapWindow), so every recording starts on a fresh page.
//
// The window draws nothing itself. The browser has no context menu and never keeps the
// keyboard focus, so the main window's keys work while the map shows; should a key reach it
// all the same, F5 never reaches the page, so the user cannot reload it, and keys the page
// leaves unhandled (Enter and Escape among them) end here.
class CGoogleMap : public QWidget
{
    Q_OBJECT
public:
    CGoogleMap(QWidget* parent, QWebEngineProfile* profile, const QUrl& page,
        MapWebPage::LinkOpener openLink);
    ~CGoogleMap() override;

    // Moves the marker and the map's centre, keeping the zoom. Dropped (false) until the page
    // has loaded completely, and for a position that is none (no fix, not finite).
    bool updatePosition(double latitude, double longitude);

    // The page has loaded completely; scripts reach the map's functions.
    bool isPageReady() const { return m_ready; }

    // Runs a script in the page once it is ready; false when it is not.
    bool runScript(const QString& script);

    QWebEngineView* browser() const { return m_browser; }
    MapWebPage* page() const { return m_page; }

signals:
    void pageReady();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void bindMessageMap();
    void keepOffKeyboard(QWidget* widget);
    void onLoadStarted();
    void onLoadFinished(bool ok);

    QWebEngineView* m_browser = nullptr; // child of this window
    MapWebPage* m_page = nullptr; // child of the browser
    QUrl m_pageUrl;
    bool m_ready = false;
};
