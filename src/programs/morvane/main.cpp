#include "i18n/Translate.h"
#include "morvane/DisplayCheck.h"
#include "theme/DovrelanButtonStyles.h"
#include "window/FrmMorvane.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    RegisterDovrelanButtonStyles();
    LoadTranslations();
    if (ReportMissingDisplay(argc, argv))
        return 1;
    QApplication application(argc, argv);
    TFrmMorvane window(QApplication::arguments());
    window.show();
    application.exec();
    return 0;
}
