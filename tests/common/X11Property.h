#pragma once

#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QWidget>

// Why the X server's window properties cannot be read here, or nullptr when they can.
inline const char* X11PropertiesUnavailable()
{
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        return "needs an X display (QT_QPA_PLATFORM=xcb)";
    if (QStandardPaths::findExecutable(QStringLiteral("xprop")).isEmpty())
        return "needs xprop";
    return nullptr;
}

// One property of a window as the X server holds it, as xprop tells it
// ("NAME(TYPE) = value"); empty when xprop cannot tell.
inline QString X11Property(WId window, const QString& name)
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window), name});
    if (!xprop.waitForFinished())
        return {};
    return QString::fromUtf8(xprop.readAllStandardOutput()).trimmed();
}
