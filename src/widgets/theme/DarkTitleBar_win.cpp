#include "theme/DarkTitleBar.h"

#include <QWidget>

#include <dwmapi.h>

void RequestDarkTitleBar(QWidget* window)
{
    // DWMWA_USE_IMMERSIVE_DARK_MODE, spelt out because older SDK headers lack the name. Windows
    // versions that do not know it refuse the request, which leaves the title bar as it was.
    constexpr DWORD UseImmersiveDarkMode = 20;
    const BOOL dark = TRUE;
    DwmSetWindowAttribute(reinterpret_cast<HWND>(window->winId()), UseImmersiveDarkMode, &dark,
                          sizeof dark);
}
