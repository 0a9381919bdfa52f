#include "map/MapPage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

namespace mapview {

namespace {

// The head, up to the declarations of the inline script. Our script takes the place of the map
// provider's; the style keeps the 310 x 410 canvas flush with the window, without scroll bars.
constexpr char kHead[] = R"page(<!DOCTYPE html PUBLIC "-//W3C//DTD XHTML 1.0 Strict//EN"
  "http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd">
<html xmlns="http://www.w3.org/1999/xhtml" xmlns:v="urn:schemas-microsoft-com:vml">
  <head>
    <meta http-equiv="content-type" content="text/html; charset=utf-8"/>
    <title>Google Maps</title>
    <style type="text/css">html, body { margin: 0; padding: 0; overflow: hidden; }</style>
    <script src="zynmap.js" type="text/javascript"></script>
    <script type="text/javascript">
  var map;
  var marker;
  var iterations = 0;
)page";

constexpr char kPositionFormat[]
    = "  var latitude = %d;\n  var longitude = %d;\n  var zoom = %d;\n";

constexpr char kCheckCompat[] = R"page(
  function check_compat() {
    if (iterations == 25) {
      document.write("Failed to load Google Maps API");
      return;
    }
    if (typeof GBrowserIsCompatible == "undefined") {
      setTimeout(check_compat, 200);
      iterations++;
    } else if (GBrowserIsCompatible()) {
      initialize();
    } else {
      document.write("Sorry, your browser is not supported.");
    }
  }
)page";

// updateMap leaves the marker where it is for a point that is no position: no fix (0, 0) or
// text that is not a number.
constexpr char kTail[] = R"page(
  function initialize() {
    map = new GMap2(document.getElementById("map_canvas"));
    var point = new GLatLng(latitude, longitude);
    map.setCenter(point, 15);
    marker = new GMarker(point);
    map.addOverlay(marker);
    map.addControl(new GSmallZoomControl());
    map.addControl(new GMapTypeControl());
  }

  function updateMap(lat, long) {
    if (map) {
      var point = new GLatLng(lat, long);
      if (!isFinite(point.lat()) || !isFinite(point.lng())
          || (point.lat() == 0 && point.lng() == 0))
        return;
      map.removeOverlay(marker);
      map.setCenter(point, map.getZoom());
      marker = new GMarker(point);
      map.addOverlay(marker);
    }
  }

  function UnloadGoogleMap() {
    if (map) {
      try {
        GUnload();
      } catch (e) {
      }
    }
  }
    </script>
  </head>
  <body onload="check_compat()" onunload="UnloadGoogleMap()">
    <div id="map_canvas" style="width: 310px; height: 410px"></div>
  </body>
</html>
)page";

bool canRead(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly);
}

bool holds(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.size() == bytes.size() && file.readAll() == bytes;
}

// Whole or nothing: a page cut short would otherwise be found and kept for good.
bool writeWhole(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return false;
    return file.commit();
}

bool placeScript(const QDir& folder)
{
    const QString path = folder.filePath(QLatin1String(kScriptFileName));
    const QByteArray bytes = scriptBytes();
    return !bytes.isEmpty() && (holds(path, bytes) || writeWhole(path, bytes));
}

// A missing Leaflet copy is no failure: the script then looks where the system package puts it.
void copyLeaflet(const QDir& from, const QDir& to)
{
    if (!from.exists() || !QDir().mkpath(to.filePath(QStringLiteral("images"))))
        return;
    const QStringList files
        = from.entryList({QStringLiteral("*.js"), QStringLiteral("*.css")}, QDir::Files);
    const QStringList images = QDir(from.filePath(QStringLiteral("images")))
                                   .entryList({QStringLiteral("*.png")}, QDir::Files);
    QStringList names = files;
    for (const QString& image : images)
        names << QStringLiteral("images/") + image;
    for (const QString& name : names) {
        QFile source(from.filePath(name));
        if (!source.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = source.readAll();
        const QString target = to.filePath(name);
        if (!holds(target, bytes))
            writeWhole(target, bytes);
    }
}

} // namespace

QByteArray pageBytes()
{
    QByteArray page(kHead);
    page += QString::asprintf(kPositionFormat, 0, 0, 0).toLatin1();
    page += kCheckCompat;
    page += kTail;
    return page;
}

QByteArray scriptBytes()
{
    QFile script(QStringLiteral(":/map/zynmap.js"));
    return script.open(QIODevice::ReadOnly) ? script.readAll() : QByteArray();
}

QString writePage(const QString& programFolder, const QString& userFolder)
{
    for (const QString& place : {programFolder, userFolder}) {
        if (place.isEmpty() || !QDir().mkpath(place))
            continue;
        const QDir folder(place);
        const QString page = folder.filePath(QLatin1String(kPageFileName));
        if (!(canRead(page) || writeWhole(page, pageBytes())) || !placeScript(folder))
            continue;
        if (place != programFolder && !programFolder.isEmpty())
            copyLeaflet(QDir(programFolder).filePath(QLatin1String(kLeafletFolder)),
                folder.filePath(QLatin1String(kLeafletFolder)));
        return page;
    }
    return {};
}

QString programFolder()
{
    return QCoreApplication::applicationDirPath();
}

QString userDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
}

} // namespace mapview
