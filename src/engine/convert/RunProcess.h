#pragma once

#include <QDeadlineTimer>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// Runs a program until it ends and returns what it wrote to standard output and standard error,
// merged and decoded as UTF-8 (invalid bytes become replacement characters, zero bytes are kept).
// Each argument reaches the program whole; the program runs in its own folder with no window and
// reads an empty standard input. Empty when the program wrote nothing or could not be started; the
// exit status is not looked at. A program still running at the deadline is killed, and what it
// wrote until then is returned. Any thread; blocks until the program has ended.
QString RunProcess(const QString& program, const QStringList& arguments,
                   const QProcessEnvironment& environment =
                       QProcessEnvironment(QProcessEnvironment::InheritFromParent),
                   QDeadlineTimer deadline = QDeadlineTimer(QDeadlineTimer::Forever));
