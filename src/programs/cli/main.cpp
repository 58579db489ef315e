#include "cli/CommandLine.h"

#include <QCoreApplication>

using namespace Qt::StringLiterals;

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(u"morvane-cli"_s);
    return RunCommandLine(QCoreApplication::arguments());
}
