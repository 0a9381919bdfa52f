#include "resources/Strings.h"

#include <QSet>

#include <climits>

#include <gtest/gtest.h>

using namespace strings;

namespace {

// Every id some window, popup or message box draws or shows.
const QList<int> kUsedIds = {110, 114, 115, 121, 122, 123, 124, 125, 126, 127, 128, 129, 130, 131,
    132, 133, 135, 138, 139, 145, 146, 147, 148, 149, 150, 151, 152, 153, 154, 155};

} // namespace

TEST(StringsTest, TextsMatchTheirWordingByteForByte)
{
    const std::pair<int, QByteArray> samples[] = {
        {110, "Recorded file in 1channel. Change the channel before you play."},
        {114,
            "Unable to play an encrypted file in 'General View Mode'.\nPlease restart the "
            "viewer.\n"},
        {115, "Unable to play general file in 'Encryption View Mode'\nPlease restart the viewer\n"},
        {121, "Интернет не доступен"},
        {127, "км/ч"},
        {133, "Имя файла"},
        {145, "Не могу открыть GoogleMap."},
        {149, "Подтверженный пароль нет этого же как новый пароль."},
        {150, "Преобразовывающ к изображениям,  пожалуйста ждите."}, // two spaces
        {155, "Установка пароля"},
    };
    for (const auto& [id, bytes] : samples)
        EXPECT_EQ(text(id).toUtf8(), bytes) << "id " << id;

    // Decoded as UTF-8, not byte by byte: "Интернет не доступен" is 20 characters.
    EXPECT_EQ(text(121).size(), 20);
    EXPECT_EQ(text(121).at(0), QChar(0x0418));
}

TEST(StringsTest, TableHoldsEveryUsedIdInAscendingOrderOnce)
{
    const QList<int> all = ids();
    for (int id : kUsedIds) {
        EXPECT_TRUE(all.contains(id)) << "id " << id;
        EXPECT_FALSE(text(id).isEmpty()) << "id " << id;
    }
    for (qsizetype i = 1; i < all.size(); ++i)
        EXPECT_LT(all[i - 1], all[i]);
}

TEST(StringsTest, UnknownIdGivesEmptyText)
{
    for (int id : {0, -1, 109, 134, 156, 1000, INT_MAX, INT_MIN})
        EXPECT_TRUE(text(id).isNull()) << "id " << id;
}

TEST(StringsTest, NamedTextsConvertFromUtf8)
{
    EXPECT_EQ(kChooseFolder.bytes(), QByteArray("Выберите папку"));
    EXPECT_EQ(QString(kChooseFolder).size(), 14);
    EXPECT_EQ(kDeviceNotFound.bytes(), QByteArray("Device not found.\n"));
    EXPECT_EQ(kTabEvent.bytes(), QByteArray("По сенсору движения"));
    EXPECT_EQ(kSelectDirectory.toString(), QStringLiteral("Please select the directory"));

    const QList<QString> tabs = {kTabContinuous, kTabEvent, kTabManual};
    EXPECT_EQ(QSet<QString>(tabs.begin(), tabs.end()).size(), 3);
}
