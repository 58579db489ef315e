// Starts as the program does and reports the main window's first paint.
#include "StartupProbe.h"
#include "i18n/Translate.h"
#include "window/FrmMorvane.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    LoadTranslations();
    QApplication application(argc, argv);
    TFrmMorvane window({QApplication::arguments().constFirst()}, TFrmMorvaneSetup{});
    TFirstPaintProbe probe(&window);
    window.show();
    application.exec();
    return 0;
}
