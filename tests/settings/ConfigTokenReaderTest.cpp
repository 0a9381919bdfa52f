#include "settings/ConfigTokenReader.h"

#include <QList>

#include <gtest/gtest.h>

namespace {

QList<QByteArray> allTokens(const QByteArray& text)
{
    ConfigTokenReader reader(text);
    QList<QByteArray> tokens;
    QByteArray token;
    while (reader.next(token))
        tokens << token;
    return tokens;
}

} // namespace

TEST(ConfigTokenReaderTest, SeparatorStarAndNulEndATokenAndTheTextEndsAtNul)
{
    EXPECT_EQ(allTokens("2?21??x"), (QList<QByteArray>{"2", "21", "", "x"}));
    EXPECT_EQ(allTokens("a*b?c"), (QList<QByteArray>{"a", "b", "c"}));
    EXPECT_EQ(allTokens(QByteArray("a?b\0c?d", 7)), (QList<QByteArray>{"a", "b"}));
    EXPECT_TRUE(allTokens("").isEmpty());
    EXPECT_TRUE(allTokens(QByteArray("\0abc", 4)).isEmpty());
}

TEST(ConfigTokenReaderTest, ReportsTheEndAndStaysThere)
{
    ConfigTokenReader reader("x?");
    QByteArray token = "junk";
    EXPECT_TRUE(reader.next(token));
    EXPECT_EQ(token, "x");
    EXPECT_TRUE(reader.atEnd());
    token = "junk";
    EXPECT_FALSE(reader.next(token));
    EXPECT_TRUE(token.isEmpty());
    EXPECT_FALSE(reader.next(token));
}

TEST(ConfigTokenReaderTest, OverlongTokenIsCutSaysSoAndTheNextTokensStayInPlace)
{
    constexpr int limit = ConfigTokenReader::kMaxTokenLength;
    ConfigTokenReader reader(
        "1?" + QByteArray(1000, 'p') + "?after?" + QByteArray(limit, 'q') + "?");
    EXPECT_EQ(reader.next(), "1");
    EXPECT_FALSE(reader.lastTokenCut());
    EXPECT_EQ(reader.next(), QByteArray(limit, 'p'));
    EXPECT_TRUE(reader.lastTokenCut());
    EXPECT_EQ(reader.next(), "after");
    EXPECT_FALSE(reader.lastTokenCut());
    EXPECT_EQ(reader.next(), QByteArray(limit, 'q')) << "a token of the limit is whole";
    EXPECT_FALSE(reader.lastTokenCut());
}

TEST(ConfigTokenReaderTest, WhatReadsBackWhole)
{
    using config_text::readsBackWhole;
    EXPECT_TRUE(readsBackWhole(""));
    EXPECT_TRUE(readsBackWhole(QByteArray(config_text::kMaxTokenBytes, 'x')));
    EXPECT_FALSE(readsBackWhole(QByteArray(config_text::kMaxTokenBytes + 1, 'x')));
    for (const QByteArray& text : {QByteArray("/a?b/"), QByteArray("/a*b/"), QByteArray("a\0b", 3)})
        EXPECT_FALSE(readsBackWhole(text)) << text.constData();
}

TEST(ConfigTokenReaderTest, DecimalConversionLikeTheClassicOne)
{
    using config_text::toInt;
    EXPECT_EQ(toInt("21"), 21);
    EXPECT_EQ(toInt("  -7"), -7);
    EXPECT_EQ(toInt("+3"), 3);
    EXPECT_EQ(toInt("12abc"), 12);
    EXPECT_EQ(toInt("abc"), 0);
    EXPECT_EQ(toInt(""), 0);
    EXPECT_EQ(toInt("-"), 0);
    EXPECT_EQ(toInt("99999999999999999999999"), 2147483647);
    EXPECT_EQ(toInt("-99999999999999999999999"), -2147483647 - 1);
}
