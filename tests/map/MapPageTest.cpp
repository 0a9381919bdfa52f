// The page file: what it holds, that it is written once and kept, and where it goes when the
// program's folder cannot hold it.
#include "map/MapPage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A folder nothing can be written into, even by root: its path runs through a plain file.
QString blockedFolder(const QTemporaryDir& dir)
{
    writeFile(dir.filePath(QStringLiteral("plain-file")), "x");
    return dir.filePath(QStringLiteral("plain-file/folder"));
}

class MapPageTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString program = dir.filePath(QStringLiteral("program"));
    QString user = dir.filePath(QStringLiteral("user"));

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir().mkpath(program));
    }
};

} // namespace

TEST(MapPageBytes, HoldTheStructureTheViewerAndTheMapRelyOn)
{
    const QByteArray page = mapview::pageBytes();
    EXPECT_TRUE(page.startsWith("<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\""));
    EXPECT_TRUE(page.contains("xmlns:v=\"urn:schemas-microsoft-com:vml\""));
    EXPECT_TRUE(page.contains("content=\"text/html; charset=utf-8\""));
    EXPECT_TRUE(page.contains("<title>Google Maps</title>"));
    EXPECT_TRUE(page.contains("<script src=\"zynmap.js\""));
    EXPECT_TRUE(page.contains("var iterations = 0;"));
    EXPECT_TRUE(page.contains("  var latitude = 0;\n  var longitude = 0;\n  var zoom = 0;\n"));
    EXPECT_TRUE(page.contains("iterations == 25"));
    EXPECT_TRUE(page.contains("setTimeout(check_compat, 200)"));
    EXPECT_TRUE(page.contains("\"Failed to load Google Maps API\""));
    EXPECT_TRUE(page.contains("\"Sorry, your browser is not supported.\""));
    EXPECT_TRUE(page.contains("map.setCenter(point, 15);"));
    EXPECT_TRUE(page.contains("map.setCenter(point, map.getZoom());"));
    EXPECT_TRUE(page.contains("GUnload();"));
    EXPECT_TRUE(page.contains("<body onload=\"check_compat()\" onunload=\"UnloadGoogleMap()\">"));
    EXPECT_TRUE(page.contains("<div id=\"map_canvas\" style=\"width: 310px; height: 410px\">"));
    EXPECT_FALSE(page.contains("http://maps.")) << "no provider interface is loaded any more";
    EXPECT_TRUE(mapview::scriptBytes().contains("window.GMap2 = GMap2"));
}

TEST_F(MapPageTest, IsWrittenOnceAndThenKeptWhateverItHolds)
{
    const QString page = mapview::writePage(program, user);
    ASSERT_EQ(page, QDir(program).filePath(QStringLiteral("googlemap.htm")));
    EXPECT_EQ(readFile(page), mapview::pageBytes());
    EXPECT_EQ(
        readFile(QDir(program).filePath(QStringLiteral("zynmap.js"))), mapview::scriptBytes());
    const QDateTime written = QFileInfo(page).lastModified();

    EXPECT_EQ(mapview::writePage(program, user), page);
    EXPECT_EQ(readFile(page), mapview::pageBytes());
    EXPECT_EQ(QFileInfo(page).lastModified(), written);

    // A page edited since (or written by another version) stays as it is; our script does not.
    ASSERT_TRUE(writeFile(page, "<html>edited</html>"));
    ASSERT_TRUE(writeFile(QDir(program).filePath(QStringLiteral("zynmap.js")), "old"));
    EXPECT_EQ(mapview::writePage(program, user), page);
    EXPECT_EQ(readFile(page), "<html>edited</html>");
    EXPECT_EQ(
        readFile(QDir(program).filePath(QStringLiteral("zynmap.js"))), mapview::scriptBytes());
    EXPECT_FALSE(QFileInfo::exists(user)) << "the user's folder is not touched";
    EXPECT_EQ(QDir(program).entryList(QDir::Files).size(), 2) << "no temporary file is left";
}

TEST_F(MapPageTest, GoesToTheUserFolderWithWhatItLoadsWhenTheProgramFolderCannotHoldIt)
{
    // The build's Leaflet copy beside the program, and a page path that cannot be a file.
    const QDir leaflet(QDir(program).filePath(QStringLiteral("leaflet")));
    ASSERT_TRUE(QDir().mkpath(leaflet.filePath(QStringLiteral("images"))));
    ASSERT_TRUE(writeFile(leaflet.filePath(QStringLiteral("leaflet.js")), "var L = {};"));
    ASSERT_TRUE(writeFile(leaflet.filePath(QStringLiteral("leaflet.css")), ".x{}"));
    ASSERT_TRUE(writeFile(leaflet.filePath(QStringLiteral("images/marker-icon.png")), "png"));
    ASSERT_TRUE(QDir().mkpath(QDir(program).filePath(QStringLiteral("googlemap.htm"))));

    const QString page = mapview::writePage(program, user);
    ASSERT_EQ(page, QDir(user).filePath(QStringLiteral("googlemap.htm")));
    EXPECT_EQ(readFile(page), mapview::pageBytes());
    const QDir userFolder(user);
    EXPECT_EQ(readFile(userFolder.filePath(QStringLiteral("zynmap.js"))), mapview::scriptBytes());
    EXPECT_EQ(readFile(userFolder.filePath(QStringLiteral("leaflet/leaflet.js"))), "var L = {};");
    EXPECT_EQ(readFile(userFolder.filePath(QStringLiteral("leaflet/leaflet.css"))), ".x{}");
    EXPECT_EQ(
        readFile(userFolder.filePath(QStringLiteral("leaflet/images/marker-icon.png"))), "png");

    // A program folder that does not exist and cannot be made counts the same.
    QTemporaryDir other;
    const QString userOnly = other.filePath(QStringLiteral("user"));
    EXPECT_EQ(mapview::writePage(blockedFolder(other), userOnly),
        QDir(userOnly).filePath(QStringLiteral("googlemap.htm")));
}
