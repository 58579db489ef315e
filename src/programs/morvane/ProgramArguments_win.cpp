#include "morvane/ProgramArguments.h"

#include <windows.h>

// Needs the types of windows.h.
#include <shellapi.h>

// The C runtime's argv is in the ANSI code page; the wide command line keeps every name.
QStringList ProgramArguments(int, char*[])
{
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
    QStringList arguments;
    if (!words)
        return arguments;
    for (int index = 0; index < count; ++index)
        arguments << QString::fromWCharArray(words[index]);
    LocalFree(words);
    return arguments;
}
