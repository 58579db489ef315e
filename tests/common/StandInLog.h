#pragma once

#include <QList>
#include <QStringList>

// One call that a stand-in program received.
struct TStandInCall
{
    QString Program;
    QString WorkingFolder;
    QStringList Arguments;
};

// The calls the stand-in programs recorded in their log, in order; none when there is no log.
QList<TStandInCall> ReadStandInLog(const QString& logPath);
