#pragma once

#include <QProcessEnvironment>
#include <QString>

// Where no display can be opened Qt aborts with advice that does not fit; the window program
// says so itself instead. Judged before QApplication exists, from the environment
// (QT_QPA_PLATFORM, XDG_SESSION_TYPE, DISPLAY, WAYLAND_DISPLAY): false only where opening one
// would certainly fail, so that a platform Qt could use is never refused.
bool HasDisplay(const QProcessEnvironment& environment);

// The line for standard error, in the interface language: call after LoadTranslations().
QString NoDisplayMessage();

// For main(), before QApplication: where there is no display, prints NoDisplayMessage() on
// standard error and returns true.
bool ReportMissingDisplay();
