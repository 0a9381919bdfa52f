#include "platform/Library.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <gtest/gtest.h>

using platform::Library;

TEST(LibraryTest, LoadsByPathAndResolvesExports)
{
    Library library;
    EXPECT_FALSE(library.isLoaded());
    EXPECT_EQ(library.resolve("zynTestAnswer"), nullptr);

    ASSERT_TRUE(library.load(QStringLiteral(ZYN_TEST_LIBRARY)))
        << library.errorString().toStdString();
    EXPECT_TRUE(library.isLoaded());
    const auto answer = library.resolveAs<int (*)()>("zynTestAnswer");
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    // The decorated name is a 32-bit Windows spelling; elsewhere the plain name is used.
    const auto add = library.resolveAs<int (*)(int, int)>("zynTestAdd", "_zynTestAdd@8");
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(add(2, 3), 5);

    EXPECT_EQ(library.resolve("noSuchExport"), nullptr);

    // Loading again works on the new library.
    ASSERT_TRUE(library.load(QStringLiteral(ZYN_TEST_LIBRARY)));
    EXPECT_NE(library.resolve("zynTestAnswer"), nullptr);
}

TEST(LibraryTest, MissingFileFailsWithAReason)
{
    Library library;
    EXPECT_FALSE(library.load(QStringLiteral("/nonexistent/libzyn-missing.so")));
    EXPECT_FALSE(library.isLoaded());
    EXPECT_FALSE(library.errorString().isEmpty());
    EXPECT_EQ(library.resolve("zynTestAnswer"), nullptr);
}

TEST(LibraryTest, PlatformLibraryNames)
{
    const QFileInfo player(Library::playerLibraryFile());
    EXPECT_EQ(player.fileName(), QStringLiteral("libvelqplayer.so"));
    EXPECT_EQ(player.absolutePath(), QCoreApplication::applicationDirPath());

    // A bare name is found the way the system finds libraries.
    EXPECT_EQ(Library::usbLibraryFile(), QStringLiteral("libusb-0.1.so.4"));
    Library usb;
    ASSERT_TRUE(usb.load(Library::usbLibraryFile())) << usb.errorString().toStdString();
    EXPECT_NE(usb.resolve("usb_init"), nullptr);
    EXPECT_NE(usb.resolve("usb_bulk_read"), nullptr);
}
