// The viewer in English beside Russian: the choice of language, the translation's completeness
// (a new Russian text without its English fails here), and the skin's words per language.
#include "resources/Language.h"
#include "resources/Skin.h"
#include "resources/Strings.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <utility>
#include <vector>

namespace {

using strings::Language;

const QRegularExpression kCyrillic(QStringLiteral("[\\x{0400}-\\x{04FF}]"));

struct Message
{
    QString translation;
    bool finished = false;
};

std::map<QString, Message> translations(const QString& path)
{
    std::map<QString, Message> messages;
    QFile file(path);
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

QString readSource(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Adjacent string literals as the compiler reads them: joined and unescaped.
QString literalText(const QString& literals)
{
    static const QRegularExpression one(QStringLiteral(R"re("((?:[^"\\]|\\.)*)")re"));
    QString text;
    for (auto part = one.globalMatch(literals); part.hasNext();) {
        QString piece = part.next().captured(1);
        piece.replace(QLatin1String("\\n"), QLatin1String("\n"));
        piece.replace(QLatin1String("\\\""), QLatin1String("\""));
        piece.replace(QLatin1String("\\\\"), QLatin1String("\\"));
        text += piece;
    }
    return text;
}

// Every string literal of the texts' source file that holds a Cyrillic letter.
std::set<QString> russianTexts()
{
    std::set<QString> texts;
    static const QRegularExpression literals(QStringLiteral(R"re(("(?:[^"\\]|\\.)*"\s*)+)re"));
    const QString source = readSource(QStringLiteral(ZYN_STRINGS_SOURCE));
    for (auto match = literals.globalMatch(source); match.hasNext();) {
        const QString text = literalText(match.next().captured(0));
        if (text.contains(kCyrillic))
            texts.insert(text);
    }
    return texts;
}

// Every message a library's code hands to translation in its context, from all the sources.
std::set<QString> libraryMessages(const QString& context)
{
    std::set<QString> texts;
    const QRegularExpression call(
        QStringLiteral(R"re(translate\(\s*"%1"\s*,\s*((?:"(?:[^"\\]|\\.)*"\s*)+))re").arg(context));
    QDirIterator files(QStringLiteral(ZYN_SOURCE_DIR), {QStringLiteral("*.cpp")}, QDir::Files,
        QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString source = readSource(files.next());
        for (auto match = call.globalMatch(source); match.hasNext();)
            texts.insert(literalText(match.next().captured(1)));
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
    const std::map<QString, Message> messages
        = translations(QStringLiteral(ZYN_TRANSLATION_EN));
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

// The clip export, the archive and the recovery write their messages in English, as their
// command lines print them; the viewer shows them in Russian.
TEST(Translation, EveryLibraryMessageHasAFinishedRussianOne)
{
    const std::map<QString, Message> messages
        = translations(QStringLiteral(ZYN_TRANSLATION_RU));
    std::set<QString> english = libraryMessages(QStringLiteral("clip"));
    ASSERT_GT(english.size(), 40u);
    for (const char* context : {"archive", "recover"}) {
        const std::set<QString> more = libraryMessages(QLatin1String(context));
        ASSERT_GT(more.size(), 10u) << context;
        english.insert(more.begin(), more.end());
    }
    for (const QString& text : english) {
        const auto found = messages.find(text);
        ASSERT_NE(found, messages.end())
            << "not in the translation (run lupdate and translate it): " << text.toStdString();
        EXPECT_TRUE(found->second.finished) << text.toStdString();
        EXPECT_TRUE(found->second.translation.contains(kCyrillic))
            << "left English: " << text.toStdString();
        EXPECT_EQ(placeholders(found->second.translation), placeholders(text))
            << "the values must still have their places: " << text.toStdString();
    }
}

// Words of Qt's dialogs that the viewer shows: the folder dialog's labels and buttons, a message
// box's answers.
std::vector<std::pair<const char*, const char*>> qtWords()
{
    return {{"QFileDialog", "Look in:"}, {"QFileDialog", "Directory:"},
        {"QFileDialog", "Files of type:"}, {"QFileDialog", "&Choose"}, {"QPlatformTheme", "&Yes"},
        {"QPlatformTheme", "&No"}, {"QPlatformTheme", "Cancel"}};
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

    EXPECT_EQ(QCoreApplication::translate("clip", "nothing to export"),
        QStringLiteral("nothing to export"));
    // Qt's own dialogs are in English as Qt wrote them.
    for (const auto& [context, text] : qtWords())
        EXPECT_EQ(QCoreApplication::translate(context, text), QLatin1String(text)) << text;

    ASSERT_TRUE(strings::setLanguage(Language::Russian));
    // Qt's own dialogs speak Russian too: the folder dialog, a question's Yes and No.
    for (const auto& [context, text] : qtWords())
        EXPECT_TRUE(QCoreApplication::translate(context, text).contains(kCyrillic)) << text;
    EXPECT_EQ(QString(strings::kDriveSummary), russianTitle);
    EXPECT_EQ(QCoreApplication::translate("clip", "nothing to export"),
        QStringLiteral("сохранять нечего"));
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
        if (!english.isNull()) {
            EXPECT_EQ(english.size(), entry.size) << entry.id;
        }
    }
    EXPECT_FALSE(QImage(QStringLiteral(":/skin/en/130.png")).isNull());
    EXPECT_FALSE(QImage(QStringLiteral(":/skin/en/178.png")).isNull());
}
