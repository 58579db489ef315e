#pragma once

#include <QString>

// Hands a URL or a path to the desktop, which shows it in the user's default program; returns at
// once and reports nothing. Main thread.
void ShellOpen(const QString& target);
