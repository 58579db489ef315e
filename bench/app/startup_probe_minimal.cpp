// The least a Qt program does to show a window of the same size with a line of text (so that
// it, too, starts the font machinery); reports its first paint.
#include "StartupProbe.h"

#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QWidget window;
    window.setFixedSize(429, 483);
    QLabel text(QStringLiteral("Morvane"), &window);
    TFirstPaintProbe probe(&window);
    window.show();
    application.exec();
    return 0;
}
