#pragma once

#include <QString>
#include <QStringList>

class QAction;
class QObject;

// Translates in place the captions of `component` and of everything it owns, depth first in
// creation order. A non-empty `language` first becomes CurrentLanguage. A window title takes the
// English entry unless CurrentLanguage is "ko"; tool tips and edit texts are never translated.
// Translating twice changes nothing. Main thread.
void TranslateComponent(QObject* component, const QString& language = {});

// The item's caption, then those of its sub-menu's items, depth first.
void TranslateMenuItem(QAction* item);

// Every line of the list, in place.
void TranslateStrings(QStringList* list);
