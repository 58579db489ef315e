#include "morvane/ProgramArguments.h"

QStringList ProgramArguments(int argc, char* argv[])
{
    QStringList arguments;
    for (int index = 0; index < argc; ++index)
        arguments << QString::fromLocal8Bit(argv[index]);
    return arguments;
}
