#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QWidget>

#include <cstdio>

// Prints "painted" once the window has painted for the first time, then ends the event loop.
class TFirstPaintProbe : public QObject
{
public:
    explicit TFirstPaintProbe(QWidget* window) : FWindow(window)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == FWindow && event->type() == QEvent::Paint && !FHasReported) {
            FHasReported = true;
            // Queued, so that the report follows the whole paint and its flush to the screen.
            QMetaObject::invokeMethod(
                qApp,
                [] {
                    std::fputs("painted\n", stdout);
                    std::fflush(stdout);
                    QCoreApplication::quit();
                },
                Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget* FWindow;
    bool FHasReported = false;
};
