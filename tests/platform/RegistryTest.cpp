#include "platform/Registry.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include "support/FullCard.h"
#include "support/SmallFileSystem.h"

#include <gtest/gtest.h>

using platform::Registry;

namespace {

// Each test gets a registry root of its own inside a folder it can inspect around the root.
class RegistryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_saved = qgetenv("ZYN_REGISTRY_ROOT");
        m_root = m_dir.filePath(QStringLiteral("root"));
        qputenv("ZYN_REGISTRY_ROOT", m_root.toLocal8Bit());
    }
    void TearDown() override { qputenv("ZYN_REGISTRY_ROOT", m_saved); }

    QString productFolder() const
    {
        return m_root + QStringLiteral("/Velqorin/ZYN Viewer/01.00.01");
    }

    // Every file below the temporary folder, relative to it.
    QStringList allFiles() const
    {
        QStringList files;
        QDirIterator it(m_dir.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << QDir(m_dir.path()).relativeFilePath(it.next());
        files.sort();
        return files;
    }

    QTemporaryDir m_dir;
    QString m_root;
    QByteArray m_saved;
};

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST_F(RegistryTest, BinaryValuesRoundTripExactly)
{
    QByteArray record(336, '\0');
    for (int i = 0; i < record.size(); ++i)
        record[i] = static_cast<char>(i * 7);
    ASSERT_TRUE(Registry::write(QStringLiteral("USB Config"), QStringLiteral("stConfig"), record));
    EXPECT_EQ(Registry::read(QStringLiteral("USB Config"), QStringLiteral("stConfig")), record);

    // The file holds exactly the value's bytes, where the layout says.
    EXPECT_EQ(Registry::fileRoot(), productFolder());
    EXPECT_EQ(readFile(productFolder() + QStringLiteral("/USB Config/stConfig")), record);

    // Replacing with a shorter value leaves nothing of the longer one.
    const QByteArray shorter("2?21?0?\0?", 9);
    ASSERT_TRUE(Registry::write(QStringLiteral("USB Config"), QStringLiteral("stConfig"), shorter));
    EXPECT_EQ(Registry::read(QStringLiteral("USB Config"), QStringLiteral("stConfig")), shorter);

    // An empty value is present, not absent.
    ASSERT_TRUE(Registry::write(QStringLiteral("Viewer Config"), QStringLiteral("config"), {}));
    const auto empty = Registry::read(QStringLiteral("Viewer Config"), QStringLiteral("config"));
    ASSERT_TRUE(empty.has_value());
    EXPECT_TRUE(empty->isEmpty());
}

TEST_F(RegistryTest, MissingKeyOrValueReadsAsAbsentAndRemoveIsIdempotent)
{
    EXPECT_FALSE(Registry::read(QStringLiteral("Viewer Config"), QStringLiteral("config")));
    ASSERT_TRUE(Registry::write(QStringLiteral("Viewer Config"), QStringLiteral("config"), "x"));
    EXPECT_FALSE(Registry::read(QStringLiteral("Viewer Config"), QStringLiteral("other")));
    EXPECT_FALSE(Registry::read(QStringLiteral("No Such Key"), QStringLiteral("config")));

    EXPECT_TRUE(Registry::remove(QStringLiteral("Viewer Config"), QStringLiteral("config")));
    EXPECT_FALSE(Registry::read(QStringLiteral("Viewer Config"), QStringLiteral("config")));
    EXPECT_TRUE(Registry::remove(QStringLiteral("Viewer Config"), QStringLiteral("config")));
    EXPECT_TRUE(Registry::remove(QStringLiteral("No Such Key"), QStringLiteral("config")));
}

TEST_F(RegistryTest, KeyLevelsAreFoldersAndNamesStayDistinct)
{
    ASSERT_TRUE(Registry::write(QStringLiteral("A\\B\\C"), QStringLiteral("v"), "abc"));
    EXPECT_EQ(readFile(productFolder() + QStringLiteral("/A/B/C/v")), QByteArray("abc"));
    EXPECT_EQ(
        Registry::read(QStringLiteral("A\\\\B\\C\\"), QStringLiteral("v")), QByteArray("abc"));

    // A key and a value of the same name do not mix: the key's folder is no value.
    EXPECT_FALSE(Registry::read(QStringLiteral("A"), QStringLiteral("B")));

    // Names that would map onto one file name stay apart, the unnamed value included.
    const QStringList names
        = {QStringLiteral("a/b"), QStringLiteral("a_b"), QStringLiteral("a%2Fb"), QString(),
            QStringLiteral("%"), QStringLiteral("."), QStringLiteral("%2E")};
    for (const QString& name : names)
        ASSERT_TRUE(Registry::write(QStringLiteral("Names"), name, name.toUtf8() + '!'));
    for (const QString& name : names)
        EXPECT_EQ(Registry::read(QStringLiteral("Names"), name), name.toUtf8() + '!')
            << name.toStdString();
}

TEST_F(RegistryTest, NamesCannotEscapeTheRoot)
{
    ASSERT_TRUE(Registry::write(QStringLiteral("..\\..\\..\\.."), QStringLiteral(".."), "k"));
    ASSERT_TRUE(
        Registry::write(QStringLiteral("../../x"), QStringLiteral("../../../escaped"), "n"));
    ASSERT_TRUE(Registry::write(QStringLiteral("/"), QStringLiteral("/etc/passwd"), "p"));
    EXPECT_EQ(
        Registry::read(QStringLiteral("..\\..\\..\\.."), QStringLiteral("..")), QByteArray("k"));
    EXPECT_EQ(Registry::read(QStringLiteral("../../x"), QStringLiteral("../../../escaped")),
        QByteArray("n"));

    for (const QString& file : allFiles())
        EXPECT_TRUE(file.startsWith(QStringLiteral("root/Velqorin/ZYN Viewer/01.00.01/")))
            << file.toStdString();
    EXPECT_EQ(allFiles().size(), 3);
}

TEST_F(RegistryTest, FailedWriteLeavesThePreviousValue)
{
    const QByteArray old("old value");
    ASSERT_TRUE(Registry::write(QStringLiteral("Viewer Config"), QStringLiteral("config"), old));

    // The file system refuses the write part-way (the file size limit applies to root too),
    // for a value larger than any write buffer and for one as small as the USB tool's record.
    for (const QByteArray& refused : {QByteArray(1 << 20, 'n'), QByteArray(336, 'n')}) {
        bool written = true;
        {
            testsupport::FullCard full(10);
            written = Registry::write(
                QStringLiteral("Viewer Config"), QStringLiteral("config"), refused);
        }
        EXPECT_FALSE(written) << refused.size();
        EXPECT_EQ(Registry::read(QStringLiteral("Viewer Config"), QStringLiteral("config")), old)
            << refused.size();
        EXPECT_EQ(allFiles().size(), 1) << refused.size(); // no temporary file left behind
    }

    // A file standing where a key's folder must be: the write fails, the file is untouched.
    ASSERT_TRUE(Registry::write(QStringLiteral("Blocked"), QStringLiteral("value"), "kept"));
    EXPECT_FALSE(Registry::write(QStringLiteral("Blocked\\value"), QStringLiteral("x"), "new"));
    EXPECT_EQ(
        Registry::read(QStringLiteral("Blocked"), QStringLiteral("value")), QByteArray("kept"));
}

TEST_F(RegistryTest, AFullDiskKeepsTheStoredValuesAndFailsTheWrite)
{
    testsupport::SmallFileSystem disk(16);
    if (!disk.mounted())
        GTEST_SKIP() << "a tmpfs cannot be mounted here (the tests expect to run as root)";
    qputenv("ZYN_REGISTRY_ROOT", QFile::encodeName(disk.path() + QStringLiteral("/root")));
    const QByteArray usb(336, '\x11');
    const QByteArray config("1|2|3|password on");
    ASSERT_TRUE(Registry::write(QStringLiteral("Viewer Config"), QStringLiteral("config"), config));
    ASSERT_TRUE(Registry::write(QStringLiteral("USB Config"), QStringLiteral("stConfig"), usb));
    ASSERT_TRUE(disk.fill());

    EXPECT_FALSE(Registry::write(QStringLiteral("Viewer Config"), QStringLiteral("config"), "x"));
    EXPECT_FALSE(Registry::write(
        QStringLiteral("USB Config"), QStringLiteral("stConfig"), QByteArray(336, '\x22')));
    EXPECT_EQ(Registry::read(QStringLiteral("Viewer Config"), QStringLiteral("config")), config);
    EXPECT_EQ(Registry::read(QStringLiteral("USB Config"), QStringLiteral("stConfig")), usb);
    EXPECT_EQ(QDir(Registry::fileRoot() + QStringLiteral("/USB Config")).entryList(QDir::Files),
        QStringList{"stConfig"}); // no temporary file left behind

    // Once there is room again, the value is replaced.
    ASSERT_TRUE(disk.unfill());
    EXPECT_TRUE(Registry::write(QStringLiteral("Viewer Config"), QStringLiteral("config"), "x"));
    EXPECT_EQ(Registry::read(QStringLiteral("Viewer Config"), QStringLiteral("config")), "x");
}

TEST_F(RegistryTest, RootFollowsTheEnvironment)
{
    EXPECT_EQ(Registry::fileRoot(), productFolder());

    const QByteArray savedXdg = qgetenv("XDG_CONFIG_HOME");
    const bool hadXdg = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    qunsetenv("ZYN_REGISTRY_ROOT");
    qputenv("XDG_CONFIG_HOME", "/tmp/zyn-xdg");
    EXPECT_EQ(Registry::fileRoot(), QStringLiteral("/tmp/zyn-xdg/Velqorin/ZYN Viewer/01.00.01"));
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(Registry::fileRoot(),
        QDir::homePath() + QStringLiteral("/.config/Velqorin/ZYN Viewer/01.00.01"));
    if (hadXdg)
        qputenv("XDG_CONFIG_HOME", savedXdg);
}
