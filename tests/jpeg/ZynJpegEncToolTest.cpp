#include "jpeg/JpegTestSupport.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace jpegtest;

namespace {

class ZynJpegEncToolTest : public ::testing::Test
{
protected:
    struct Result
    {
        int exitCode = -1;
        QByteArray error;
    };

    QString path(const QString& name) const { return m_dir.filePath(name); }

    void writeFile(const QString& name, const QByteArray& data) const
    {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
    }

    Result run(const QStringList& arguments) const
    {
        QProcess tool;
        tool.start(QStringLiteral(ZYN_JPEGENC), arguments);
        if (!tool.waitForFinished(30000) || tool.exitStatus() != QProcess::NormalExit)
            return {};
        return {tool.exitCode(), tool.readAllStandardError()};
    }

    QTemporaryDir m_dir;
};

void put32(QByteArray& file, int at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        file[at + i] = char(value >> (8 * i));
}

} // namespace

TEST_F(ZynJpegEncToolTest, EncodesABitmapFileAsTheCaptureDoes)
{
    const QImage image = sceneImage(99, 61); // rows padded to 300 bytes
    const QByteArray direct = encode(image, path("direct.jpg"));
    ASSERT_FALSE(direct.isEmpty());

    writeFile("bottomup.bmp", bmpFile(image));
    EXPECT_EQ(run({path("bottomup.bmp"), path("a.jpg")}).exitCode, 0);
    EXPECT_EQ(readFile(path("a.jpg")), direct);

    writeFile("topdown.bmp", bmpFile(image, true));
    EXPECT_EQ(run({path("topdown.bmp"), path("b.jpg")}).exitCode, 0);
    EXPECT_EQ(readFile(path("b.jpg")), direct);

    // A version 5 header (124 bytes) starts with the same fields.
    QByteArray v5 = bmpFile(image);
    v5.insert(54, QByteArray(124 - 40, '\0'));
    put32(v5, 10, 14 + 124);
    put32(v5, 14, 124);
    writeFile("v5.bmp", v5);
    EXPECT_EQ(run({path("v5.bmp"), path("c.jpg")}).exitCode, 0);
    EXPECT_EQ(readFile(path("c.jpg")), direct);
}

TEST_F(ZynJpegEncToolTest, RefusesWhatItCannotReadWithOneLine)
{
    const QByteArray good = bmpFile(plasmaImage(20, 10, 1));
    const auto patched = [&](int at, quint32 value) {
        QByteArray file = good;
        put32(file, at, value);
        return file;
    };
    const auto patched16 = [&](int at, quint16 value) {
        QByteArray file = good;
        file[at] = char(value);
        file[at + 1] = char(value >> 8);
        return file;
    };
    struct Case
    {
        const char* name;
        QByteArray data;
    };
    const Case cases[] = {
        {"empty", QByteArray()},
        {"text", QByteArray("this is not a bitmap, just some words of text to read")},
        {"header cut short", good.left(30)},
        {"pixel rows cut short", good.left(good.size() - 1)},
        {"32 bits", patched16(28, 32)},
        {"8 bits", patched16(28, 8)},
        {"run-length compressed", patched(30, 1)},
        {"bit fields", patched(30, 3)},
        {"two planes", patched16(26, 2)},
        {"core header", patched(14, 12)},
        {"zero width", patched(18, 0)},
        {"zero height", patched(22, 0)},
        {"huge width", patched(18, 0x7FFFFFFF)},
        {"pixel offset past the end", patched(10, 0xFFFFFFF0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile("bad.bmp", c.data);
        const Result result = run({path("bad.bmp"), path("bad.jpg")});
        EXPECT_NE(result.exitCode, 0);
        EXPECT_NE(result.exitCode, -1); // no crash
        EXPECT_EQ(result.error.count('\n'), 1) << result.error.constData();
        EXPECT_TRUE(result.error.endsWith('\n'));
        EXPECT_FALSE(QFile::exists(path("bad.jpg")));
    }

    const Result missing = run({path("nowhere.bmp"), path("x.jpg")});
    EXPECT_NE(missing.exitCode, 0);
    EXPECT_EQ(missing.error.count('\n'), 1);

    writeFile("good.bmp", good);
    const Result unwritable = run({path("good.bmp"), path("no/such/dir/x.jpg")});
    EXPECT_NE(unwritable.exitCode, 0);
    EXPECT_EQ(unwritable.error.count('\n'), 1);

    EXPECT_NE(run({path("good.bmp")}).exitCode, 0);
}
