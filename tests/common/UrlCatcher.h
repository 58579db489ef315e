#pragma once

#include <QList>
#include <QObject>
#include <QUrl>

// Receives the URLs that the window hands to the desktop (QDesktopServices::setUrlHandler).
class TUrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> Opened;

public Q_SLOTS:
    void Open(const QUrl& url) { Opened.append(url); }
};
