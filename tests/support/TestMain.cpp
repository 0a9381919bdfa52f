#include <QApplication>
#include <QTemporaryDir>

#include <cstdlib>
#include <gtest/gtest.h>

// Every test program runs headless and silent, never touches the user's configuration and never waits
// on a dialog: the registry, and the data and cache folders (where the archive and its pictures
// are kept by default), live in a throw-away folder for the whole run.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!qEnvironmentVariableIsSet("ZYN_AUDIO"))
        qputenv("ZYN_AUDIO", "null");
    QTemporaryDir registryRoot;
    if (!qEnvironmentVariableIsSet("ZYN_REGISTRY_ROOT"))
        qputenv("ZYN_REGISTRY_ROOT", registryRoot.path().toLocal8Bit());
    QTemporaryDir userFolders;
    qputenv("XDG_DATA_HOME", userFolders.filePath(QStringLiteral("data")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", userFolders.filePath(QStringLiteral("cache")).toLocal8Bit());
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
