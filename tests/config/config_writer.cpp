// Usage: config_writer PREFIX COUNT
// Writes the integers 0..COUNT-1 as PREFIX0.. under "Dovrelan\Morvane", one store per write as the
// program does.
#include "config/Config.h"

#include <QCoreApplication>
#include <QStringList>

using namespace Qt::StringLiterals;

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() != 3)
        return 2;
    const QString prefix = arguments.at(1);
    const int count = arguments.at(2).toInt();
    for (int i = 0; i < count; ++i)
        TConfig(u"Dovrelan\\Morvane"_s).WriteInteger(prefix + QString::number(i), i);
    return 0;
}
