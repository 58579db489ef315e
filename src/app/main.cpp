#include "FrmMorvane.h"
#include "i18n/Translate.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    LoadTranslations();
    QApplication application(argc, argv);
    TFrmMorvane window(QApplication::arguments());
    window.show();
    application.exec();
    return 0;
}
