#pragma once

#include "StandInLog.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

// A temporary tool folder holding the recording stand-in program under the given names. By
// default each call writes its output file: ImageMagick ("magick", "convert") the last argument
// without a "BMP3:" prefix, "cjpeg" the -outfile value (when its bitmap exists), "gs" the
// -sOutputFile pattern, for every page when it holds a page number. Link the test to
// morvane_standin.
class TStandIn
{
public:
    explicit TStandIn(const QStringList& programs = {QStringLiteral("magick"),
                                                     QStringLiteral("cjpeg"), QStringLiteral("gs")})
    {
        for (const QString& program : programs) {
            const QString copy = FDir.filePath(program);
            QFile::copy(QStringLiteral(MORVANE_STANDIN_PROGRAM), copy);
            QFile::setPermissions(copy, QFile::permissions(copy) | QFile::ExeOwner);
        }
    }

    QString Folder() const { return FDir.path(); }

    // The program prints text on every call (and still writes its output).
    void SetPrinted(const QString& program, const QString& text)
    {
        WriteRule(program + QStringLiteral(".print"), text.toUtf8());
    }
    // The program writes nothing; with a text, only on calls with an argument holding it.
    void SetWritesNothing(const QString& program, const QString& whenAnArgumentHolds = {})
    {
        WriteRule(program + QStringLiteral(".nowrite"), whenAnArgumentHolds.toUtf8());
    }
    // Pages "gs" writes for a page pattern.
    void SetPages(int first, int last)
    {
        WriteRule(QStringLiteral("gs.pages"),
                  QByteArray::number(first) + '-' + QByteArray::number(last));
    }

    // The program waits, after recording its call, until OpenGate() is called.
    void SetWaitsForGate(const QString& program)
    {
        WriteRule(program + QStringLiteral(".gate"), QFile::encodeName(GatePath()));
    }
    void OpenGate() { QFile(GatePath()).open(QIODevice::WriteOnly); }

    QList<TStandInCall> Calls() const
    {
        return ReadStandInLog(FDir.filePath(QStringLiteral("standin.log")));
    }
    QList<TStandInCall> CallsOf(const QString& program) const
    {
        QList<TStandInCall> calls = Calls();
        calls.removeIf([&](const TStandInCall& call) { return call.Program != program; });
        return calls;
    }

private:
    QString GatePath() const { return FDir.filePath(QStringLiteral("gate.open")); }

    void WriteRule(const QString& name, const QByteArray& content)
    {
        QFile rule(FDir.filePath(name));
        if (rule.open(QIODevice::WriteOnly))
            rule.write(content);
    }

    QTemporaryDir FDir;
};
