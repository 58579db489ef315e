#pragma once

#include "StandInLog.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <sys/stat.h>

// A temporary tool folder holding the recording stand-in program under the given names. By
// default each call writes its output file: ImageMagick ("magick", "convert") the last argument
// without a "BMP3:" prefix, "cjpeg" the -outfile value (when its bitmap exists), "gs" the
// -sOutputFile pattern, for every page when it holds a page number (a page holds its own file
// name). Link the test to morvane_standin.
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
    // The program writes nothing; with a text, only on calls with an argument or an input file
    // holding it (the programs read their input under a plain name: give it telling content).
    void SetWritesNothing(const QString& program, const QString& whenAnArgumentHolds = {})
    {
        WriteRule(program + QStringLiteral(".nowrite"), whenAnArgumentHolds.toUtf8());
    }
    // ImageMagick's output holds the bytes of the file it read, so that an output tells its source.
    void SetWritesItsInput(const QString& program)
    {
        WriteRule(program + QStringLiteral(".copy"), {});
    }
    // Pages "gs" writes for a page pattern.
    void SetPages(int first, int last)
    {
        WriteRule(QStringLiteral("gs.pages"),
                  QByteArray::number(first) + '-' + QByteArray::number(last));
    }

    // The program ends with this status, after writing what it writes.
    void SetExitStatus(const QString& program, int status)
    {
        WriteRule(program + QStringLiteral(".exit"), QByteArray::number(status));
    }
    // The program kills itself with this signal, after writing what it writes.
    void SetEndsBySignal(const QString& program, int signal)
    {
        WriteRule(program + QStringLiteral(".signal"), QByteArray::number(signal));
    }
    // After writing, the program starts a child of its own and both wait for two minutes.
    void SetHangs(const QString& program) { WriteRule(program + QStringLiteral(".hang"), {}); }
    // The children that hanging calls of the program started.
    QList<qint64> Children(const QString& program) const
    {
        QFile list(FDir.filePath(program + QStringLiteral(".children")));
        QList<qint64> children;
        if (list.open(QIODevice::ReadOnly)) {
            for (const QByteArray& line : list.readAll().split('\n')) {
                if (!line.isEmpty())
                    children << line.toLongLong();
            }
        }
        return children;
    }

    // The program waits, after recording its call, until OpenGate() is called; with a text, only
    // on calls with an argument or an input file holding it.
    void SetWaitsForGate(const QString& program, const QString& whenAnArgumentHolds = {})
    {
        WriteRule(program + QStringLiteral(".gate"), QFile::encodeName(GatePath()));
        WriteRule(program + QStringLiteral(".gatewhen"), whenAnArgumentHolds.toUtf8());
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

    // The file below folder that a call read, by its name there: the programs read a second name of
    // it (a hard link) in their work folder. Empty when none is.
    static QString InputBelow(const TStandInCall& call, const QString& folder)
    {
        QDirIterator files(folder, QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString path = files.next();
            struct stat file = {};
            if (::stat(QFile::encodeName(path).constData(), &file) == 0 &&
                file.st_ino == call.InputFileNumber)
                return QDir(folder).relativeFilePath(path);
        }
        return {};
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
