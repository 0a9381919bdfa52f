// The viewer in English beside Russian: the choice of language, the translation's completeness
// (a new Russian text without its English fails here), and the skin's words per language.
#include "resources/Language.h"
#include "resources/Skin.h"
#include "resources/Strings.h"

#include <QFile>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

using strings::Language;

const QRegularExpression kCyrillic(QStringLiteral("[\\x{0400}-\\x{04FF}]"));

struct Message
{
    QString translation;
    bool finished = false;
};

std::map<QString, Message> translations()
{
    std::map<QString, Message> messages;
    QFile file(QStringLiteral(ZYN_TRANSLATION));
    if (!file.open(QIODevice::ReadOnly))
        return messages;
    QXmlStreamReader xml(&file);
    QString source;
    while (!xml.atEnd()) {
        if (!xml.readNextStartElement())
            continue;
        if (xml.name() == QLatin1String("source")) {
            source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            const bool finished = xml.attributes().value(QLatin1String("type")).isEmpty();
            messages[source] = {xml.readElementText(), finished};
        }
    }
    return messages;
}

// Every string literal of the texts' source file that holds a Cyrillic letter, unescaped as the
// compiler reads it (adjacent literals joined).
std::set<QString> russianTexts()
{
    std::set<QString> texts;
    QFile file(QStringLiteral(ZYN_STRINGS_SOURCE));
    if (!file.open(QIODevice::ReadOnly))
        return texts;
    const QString source = QString::fromUtf8(file.readAll());
    static const QRegularExpression literals(QStringLiteral(R"re(("(?:[^"\\]|\\.)*"\s*)+)re"));
    static const QRegularExpression one(QStringLiteral(R"re("((?:[^"\\]|\\.)*)")re"));
    for (auto match = literals.globalMatch(source); match.hasNext();) {
        QString text;
        for (auto part = one.globalMatch(match.next().captured(0)); part.hasNext();) {
            QString piece = part.next().captured(1);
            piece.replace(QLatin1String("\\n"), QLatin1String("\n"));
            piece.replace(QLatin1String("\\\""), QLatin1String("\""));
            piece.replace(QLatin1String("\\\\"), QLatin1String("\\"));
            text += piece;
        }
        if (text.contains(kCyrillic))
            texts.insert(text);
    }
    return texts;
}

QStringList placeholders(const QString& text)
{
    QStringList found;
    static const QRegularExpression marker(QStringLiteral("%\\d"));
    for (auto m = marker.globalMatch(text); m.hasNext();)
        found << m.next().captured(0);
    found.sort();
    return found;
}

class LanguageTest : public ::testing::Test
{
protected:
    void TearDown() override { strings::setLanguage(Language::Russian); }
};

} // namespace

TEST(LanguageChoice, OptionThenLanguageVariableThenLocale)
{
    EXPECT_EQ(strings::chooseLanguage({}, {}, "ru_RU"), Language::Russian);
    EXPECT_EQ(strings::chooseLanguage({}, {}, "ru"), Language::Russian);
    EXPECT_EQ(strings::chooseLanguage({}, {}, "en_US"), Language::English);
    EXPECT_EQ(strings::chooseLanguage({}, {}, "de_DE"), Language::English) << "anything else";
    EXPECT_EQ(strings::chooseLanguage({}, {}, "C"), Language::English);
    EXPECT_EQ(strings::chooseLanguage({}, "ru", "en_US"), Language::Russian);
    EXPECT_EQ(strings::chooseLanguage({}, "de:ru_RU:en", "en_US"), Language::Russian)
        << "the first entry of the list we speak";
    EXPECT_EQ(strings::chooseLanguage({}, "en", "ru_RU"), Language::English);
    EXPECT_EQ(strings::chooseLanguage({}, "fr", "ru_RU"), Language::Russian)
        << "a list naming neither leaves the locale";
    EXPECT_EQ(strings::chooseLanguage({"--lang", "en"}, "ru", "ru_RU"), Language::English);
    EXPECT_EQ(strings::chooseLanguage({"a.mp4", "--lang=ru"}, "en", "en_US"), Language::Russian);
    EXPECT_EQ(strings::chooseLanguage({"--lang", "xx"}, {}, "ru_RU"), Language::Russian);

    EXPECT_EQ(strings::withoutLanguageOption({"--lang", "en", "a.mp4", "--lang=ru", "folder"}),
        QStringList({"a.mp4", "folder"}));
}

TEST(Translation, EveryRussianTextHasAFinishedEnglishOne)
{
    const std::map<QString, Message> messages = translations();
    const std::set<QString> russian = russianTexts();
    ASSERT_GT(messages.size(), 90u);
    ASSERT_GT(russian.size(), 90u);
    for (const QString& text : russian) {
        const auto found = messages.find(text);
        ASSERT_NE(found, messages.end())
            << "not in the translation (run lupdate and translate it): " << text.toStdString();
        EXPECT_TRUE(found->second.finished) << text.toStdString();
    }
    for (const auto& [source, message] : messages) {
        EXPECT_FALSE(message.translation.trimmed().isEmpty()) << source.toStdString();
        EXPECT_FALSE(message.translation.contains(kCyrillic))
            << "left Russian: " << message.translation.toStdString();
        EXPECT_EQ(placeholders(message.translation), placeholders(source))
            << "the values must still have their places: " << source.toStdString();
        EXPECT_EQ(message.translation.count(u'\n'), source.count(u'\n')) << source.toStdString();
    }
}

TEST_F(LanguageTest, EnglishReplacesEveryRussianTextAndRussianComesBackWhole)
{
    const QString russianTitle = strings::kDriveSummary;
    QStringList table;
    for (int id : strings::ids())
        table << strings::text(id);
    const QImage russianBackground = skin::bitmap(130).copy();

    ASSERT_TRUE(strings::setLanguage(Language::English));
    EXPECT_EQ(strings::language(), Language::English);
    EXPECT_EQ(QString(strings::kDriveSummary), QStringLiteral("Drive summary"));
    EXPECT_EQ(strings::text(133), QStringLiteral("File name"));
    EXPECT_EQ(QString(strings::kRecordingNotOpened).arg("a.mp4", "b"),
        QStringLiteral("Could not open the recording \"a.mp4\".\nb"));
    for (int id : strings::ids())
        EXPECT_FALSE(strings::text(id).contains(kCyrillic)) << id;
    EXPECT_EQ(QString(strings::kUsbToolTitle), QStringLiteral("USB Management Tool"));
    // The painted words: the background's captions, the same size.
    const QImage englishBackground = skin::bitmap(130);
    EXPECT_EQ(englishBackground.size(), russianBackground.size());
    EXPECT_NE(englishBackground, russianBackground);
    EXPECT_EQ(skin::bitmap(184), skin::bitmap(184)) << "a bitmap without words is shared";

    ASSERT_TRUE(strings::setLanguage(Language::Russian));
    EXPECT_EQ(QString(strings::kDriveSummary), russianTitle);
    QStringList again;
    for (int id : strings::ids())
        again << strings::text(id);
    EXPECT_EQ(again, table);
    EXPECT_EQ(skin::bitmap(130), russianBackground);
}

TEST(SkinWords, EveryEnglishBitmapReplacesOneOfTheSameSize)
{
    for (const skin::Entry& entry : skin::entries()) {
        const QImage english(QStringLiteral(":/skin/en/%1.png").arg(entry.id));
        if (!english.isNull())
            EXPECT_EQ(english.size(), entry.size) << entry.id;
    }
    EXPECT_FALSE(QImage(QStringLiteral(":/skin/en/130.png")).isNull());
    EXPECT_FALSE(QImage(QStringLiteral(":/skin/en/178.png")).isNull());
}
