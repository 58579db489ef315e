#pragma once

#include <QByteArray>
#include <QLocale>
#include <QString>

// Module start-up: loads the catalogue carried in the program's resources and fixes
// CurrentLanguage from the user's locale. Runs before the first window; a catalogue that cannot
// be read leaves the source texts in use.
void LoadTranslations();

// Replaces the catalogue with the given text (UTF-8, optional byte-order mark).
void LoadCatalogue(const QByteArray& text);

// Korean source text in, text in `language` (CurrentLanguage when empty) out; texts missing from
// the catalogue come back unchanged apart from the "\n" escape. Any thread after start-up.
QString TranslateText(const QString& source, const QString& language = QString());

QString CurrentLanguage();
void SetCurrentLanguage(const QString& language);

// ISO 639 code of the user's locale in lower case; "en" when the platform gives none.
QString GetUserLanguage();

// The same for a given locale: "en" for the C locale.
QString LanguageOfLocale(const QLocale& locale);
