#include "resources/Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>
#include <optional>

namespace strings {

namespace {

Language g_language = Language::Russian;
std::unique_ptr<QTranslator> g_translator;
std::unique_ptr<QTranslator> g_qtTranslator;

// "ru", "ru_RU.UTF-8", "en:ru" ... the first that names a language we speak.
std::optional<Language> named(const QString& text)
{
    for (const QString& entry : text.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        const QString code = entry.section(QLatin1Char('_'), 0, 0).section(QLatin1Char('.'), 0, 0);
        if (code.compare(QLatin1String("ru"), Qt::CaseInsensitive) == 0)
            return Language::Russian;
        if (code.compare(QLatin1String("en"), Qt::CaseInsensitive) == 0)
            return Language::English;
    }
    return std::nullopt;
}

} // namespace

Language chooseLanguage(
    const QStringList& arguments, const QString& languageVariable, const QString& localeName)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        QString value;
        if (a == QLatin1String("--lang") && i + 1 < arguments.size())
            value = arguments[i + 1];
        else if (a.startsWith(QLatin1String("--lang=")))
            value = a.mid(7);
        if (const std::optional<Language> chosen = named(value))
            return *chosen;
    }
    if (const std::optional<Language> chosen = named(languageVariable))
        return *chosen;
    return localeName.startsWith(QLatin1String("ru"), Qt::CaseInsensitive) ? Language::Russian
                                                                           : Language::English;
}

Language systemLanguage(const QStringList& arguments)
{
    return chooseLanguage(
        arguments, qEnvironmentVariable("LANGUAGE"), QLocale::system().name());
}

QStringList withoutLanguageOption(const QStringList& arguments)
{
    QStringList rest;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--lang")) {
            ++i;
            continue;
        }
        if (!arguments[i].startsWith(QLatin1String("--lang=")))
            rest << arguments[i];
    }
    return rest;
}

namespace {

// Qt's own words (the folder dialog's labels, a message box's Yes and No) from Qt's translations
// on the system (Debian's qt6-translations-l10n): the whole window speaks one language. English
// is Qt's own. Without the package Qt's words stay English and nothing else changes.
void setQtLanguage(Language language)
{
    if (g_qtTranslator) {
        QCoreApplication::removeTranslator(g_qtTranslator.get());
        g_qtTranslator.reset();
    }
    if (language == Language::English)
        return;
    auto translator = std::make_unique<QTranslator>();
    if (translator->load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath))
        && QCoreApplication::installTranslator(translator.get()))
        g_qtTranslator = std::move(translator);
}

} // namespace

bool setLanguage(Language language)
{
    if (g_translator) {
        QCoreApplication::removeTranslator(g_translator.get());
        g_translator.reset();
    }
    g_language = Language::Russian;
    // The Russian texts are the sources; in Russian only the clip export's messages, written in
    // English for its command line, are translated.
    auto translator = std::make_unique<QTranslator>();
    const QString file = QStringLiteral(":/i18n/zyn_%1.qm").arg(languageCode(language));
    if (!translator->load(file) || !QCoreApplication::installTranslator(translator.get())) {
        setQtLanguage(Language::Russian);
        return language == Language::Russian;
    }
    setQtLanguage(language);
    g_translator = std::move(translator);
    g_language = language;
    return true;
}

Language language()
{
    return g_language;
}

QString languageCode(Language language)
{
    return language == Language::English ? QStringLiteral("en") : QStringLiteral("ru");
}

} // namespace strings
