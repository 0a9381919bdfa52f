#pragma once

#include <QString>
#include <QStringList>

// The language the viewer speaks: Russian, its texts' own, or English through the translation
// built into the program. Chosen once at start; the skin's painted words follow it too.
namespace strings {

enum class Language { Russian, English };

// `--lang ru|en` among the arguments first, then the LANGUAGE variable (the first entry of its
// list that names one of the two), then the locale's name: "ru..." gives Russian, anything
// else English. An unknown --lang value is passed over like a missing one.
Language chooseLanguage(
    const QStringList& arguments, const QString& languageVariable, const QString& localeName);
// The same from this process's command line, environment and system locale.
Language systemLanguage(const QStringList& arguments);
// The arguments without "--lang X" or "--lang=X": what is left names recordings.
QStringList withoutLanguageOption(const QStringList& arguments);

// Installs the language's translator on the running application. False when the English
// translation could not be loaded; the texts then stay Russian.
bool setLanguage(Language language);
Language language();
// "ru" or "en".
QString languageCode(Language language);

} // namespace strings
