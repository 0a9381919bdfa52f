#include "archivewindow/ArchiveMapView.h"

#include "map/CGoogleMap.h"

#include <QDesktopServices>
#include <QJsonArray>
#include <QJsonDocument>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineProfile>

namespace archivewin {

namespace {

QJsonArray place(const MapPlace& p)
{
    return QJsonArray{p.latitude, p.longitude};
}

QJsonArray marks(const std::vector<MapMark>& items)
{
    QJsonArray array;
    for (const MapMark& m : items)
        array.append(QJsonArray{m.place.latitude, m.place.longitude, m.id, m.label, m.kind});
    return array;
}

QString json(const QJsonArray& array)
{
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
}

// The map object appears a moment after the page has loaded, once Leaflet has arrived: the
// script waits for it in the page (five seconds at most; a page without Leaflet never has one).
QString whenMapExists(const QString& script)
{
    return QStringLiteral("(function draw(tries) {"
                          "  if (!window.zynArchive || !zynArchive.state().ready) {"
                          "    if (tries < 50) setTimeout(function () { draw(tries + 1); }, 100);"
                          "    return;"
                          "  }"
                          "  %1;"
                          "})(0)")
        .arg(script);
}

QUrl archivePage(const QString& pagePath, const QString& tiles)
{
    if (pagePath.isEmpty())
        return {};
    QUrl url = QUrl::fromLocalFile(pagePath);
    QString query = QStringLiteral("view=archive");
    if (!tiles.isEmpty())
        query += QStringLiteral("&tiles=") + QString::fromLatin1(QUrl::toPercentEncoding(tiles));
    url.setQuery(query);
    return url;
}

} // namespace

ArchiveMapView::ArchiveMapView(
    QWebEngineProfile* profile, const QString& pagePath, const QString& tiles, QWidget* parent)
    : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    // Without the main map's profile (a window on its own, in tests) the engine's default one.
    if (!profile)
        profile = QWebEngineProfile::defaultProfile();
    m_map = new CGoogleMap(this, profile, archivePage(pagePath, tiles),
        [](const QUrl& url) { QDesktopServices::openUrl(url); });
    layout->addWidget(m_map);
    connect(m_map, &CGoogleMap::pageReady, this, &ArchiveMapView::onPageReady);
    connect(m_map->page(), &MapWebPage::consoleMessage, this, &ArchiveMapView::onPageMessage);
}

ArchiveMapView::~ArchiveMapView() = default;

bool ArchiveMapView::isReady() const
{
    return m_map->isPageReady();
}

void ArchiveMapView::showDrives(
    const std::vector<std::vector<MapPlace>>& routes, const std::vector<MapMark>& events, bool fit)
{
    QJsonArray lines;
    for (const auto& route : routes) {
        QJsonArray points;
        for (const MapPlace& p : route)
            points.append(place(p));
        lines.append(points);
    }
    m_drivesScript = QStringLiteral("zynArchive.drives(%1, %2, %3)")
                         .arg(json(lines), json(marks(events)),
                             fit ? QStringLiteral("true") : QStringLiteral("false"));
    m_map->runScript(whenMapExists(m_drivesScript));
}

void ArchiveMapView::showPasses(const std::vector<MapMark>& passes)
{
    m_passesScript = QStringLiteral("zynArchive.passes(%1)").arg(json(marks(passes)));
    m_map->runScript(whenMapExists(m_passesScript));
}

void ArchiveMapView::showSearch(double latitude, double longitude, double radiusMetres)
{
    m_searchScript = QStringLiteral("zynArchive.search(%1, %2, %3)")
                         .arg(QString::number(latitude, 'f', 7), QString::number(longitude, 'f', 7),
                             QString::number(radiusMetres, 'f', 1));
    m_map->runScript(whenMapExists(m_searchScript));
}

void ArchiveMapView::onPageReady()
{
    drawAll();
    emit ready();
}

void ArchiveMapView::drawAll()
{
    QStringList scripts;
    for (const QString& script : {m_drivesScript, m_passesScript, m_searchScript}) {
        if (!script.isEmpty())
            scripts << script;
    }
    if (!scripts.isEmpty())
        m_map->runScript(whenMapExists(scripts.join(QStringLiteral("; "))));
}

void ArchiveMapView::onPageMessage(const QString& message)
{
    if (!message.startsWith(QLatin1String("zyn:")))
        return;
    const QStringList words = message.mid(4).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.size() == 4 && words[0] == QLatin1String("search")) {
        bool a = false, b = false, c = false;
        const double latitude = words[1].toDouble(&a);
        const double longitude = words[2].toDouble(&b);
        const double radius = words[3].toDouble(&c);
        if (a && b && c)
            emit searchAsked(latitude, longitude, radius);
    } else if (words.size() == 3
        && (words[0] == QLatin1String("play") || words[0] == QLatin1String("choose"))) {
        bool ok = false;
        const int id = words[2].toInt(&ok);
        if (!ok)
            return;
        if (words[0] == QLatin1String("play"))
            emit playAsked(words[1], id);
        else
            emit markChosen(words[1], id);
    }
}

} // namespace archivewin
