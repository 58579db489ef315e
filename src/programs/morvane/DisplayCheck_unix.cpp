#include "morvane/DisplayCheck.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// The platform plug-ins Qt tries, in order: QT_QPA_PLATFORM, else its default (xcb, after wayland
// in a Wayland session). Entries are separated by ';' and may carry options after ':'. Qt is given
// no command-line options of its own.
QStringList PlatformsTried(const QProcessEnvironment& environment)
{
    QString names =
        environment.value(u"XDG_SESSION_TYPE"_s) == u"wayland"_s ? u"wayland;xcb"_s : u"xcb"_s;
    const QString fromEnvironment = environment.value(u"QT_QPA_PLATFORM"_s);
    if (!fromEnvironment.isEmpty())
        names = fromEnvironment;

    QStringList platforms;
    for (const QString& entry : names.split(u';', Qt::SkipEmptyParts))
        platforms << entry.section(u':', 0, 0).trimmed();
    return platforms;
}

bool HasX11Display(const QProcessEnvironment& environment)
{
    return !environment.value(u"DISPLAY"_s).isEmpty();
}

// libwayland takes a socket handed over in WAYLAND_SOCKET, else WAYLAND_DISPLAY (by default
// "wayland-0"): a path of its own or a name in XDG_RUNTIME_DIR.
bool HasWaylandDisplay(const QProcessEnvironment& environment)
{
    if (!environment.value(u"WAYLAND_SOCKET"_s).isEmpty())
        return true;
    QString display = environment.value(u"WAYLAND_DISPLAY"_s);
    if (display.isEmpty())
        display = u"wayland-0"_s;
    if (QDir::isAbsolutePath(display))
        return QFileInfo::exists(display);
    const QString runtimeFolder = environment.value(u"XDG_RUNTIME_DIR"_s);
    return !runtimeFolder.isEmpty() && QFileInfo::exists(runtimeFolder + u'/' + display);
}

} // namespace

bool HasDisplay(const QProcessEnvironment& environment)
{
    const QStringList platforms = PlatformsTried(environment);
    // Other plug-ins (offscreen, eglfs, vnc and the like) are left for Qt to judge.
    const auto canOpen = [&](const QString& platform) {
        if (platform == u"xcb"_s)
            return HasX11Display(environment);
        if (platform.startsWith(u"wayland"_s))
            return HasWaylandDisplay(environment);
        return true;
    };
    return platforms.isEmpty() || std::any_of(platforms.begin(), platforms.end(), canOpen);
}
