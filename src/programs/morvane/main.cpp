#include "base/MorvaneBuild.h"
#include "i18n/Translate.h"
#include "morvane/DisplayCheck.h"
#include "morvane/ProgramArguments.h"
#include "morvane/StopSignals.h"
#include "theme/DovrelanButtonStyles.h"
#include "window/FrmMorvane.h"

#include <QApplication>

#include <algorithm>

int main(int argc, char* argv[])
{
    RegisterDovrelanButtonStyles();
    LoadTranslations();
    const QStringList arguments = ProgramArguments(argc, argv);
    if (ReportMissingDisplay())
        return 1;
    // Qt sees the program's path only: every word after it is the program's own.
    int qtArgc = std::min(argc, 1);
    QApplication application(qtArgc, argv);
    // Ties the window to its menu entry where the desktop asks (Wayland's app id).
    QGuiApplication::setDesktopFileName(QString::fromUtf8(MorvaneBuild::AppId));
    TFrmMorvane window(arguments);
    CloseOnStopSignals(window, [&window] { window.StopAndClose(); });
    window.show();
    application.exec();
    return EndAsStopSignalled(0);
}
