#pragma once

#include <QStringList>

// The program's command line as the platform split it, its own path first. Taken before Qt sees
// it: Qt would remove what looks like one of its own options ("-style", "-reverse", ...), and
// for this program every word after the path is its own.
QStringList ProgramArguments(int argc, char* argv[]);
