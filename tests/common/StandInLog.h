#pragma once

#include <QHash>
#include <QList>
#include <QStringList>

// One call that a stand-in program received.
struct TStandInCall
{
    QString Program;
    QString WorkingFolder;
    qint64 ProcessId = 0;
    qint64 ProcessGroup = 0;
    // The file number (inode) of what it read: its first argument naming an existing file.
    quint64 InputFileNumber = 0;
    QStringList Arguments;
    QHash<QString, QString> Environment;
};

// The calls the stand-in programs recorded in their log, in order; none when there is no log.
QList<TStandInCall> ReadStandInLog(const QString& logPath);
