#include "convert/OutputName.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {
// Only A to Z: the extension of a name typed on the command line keeps its other letters.
QString AsciiLower(QString text)
{
    for (QChar& c : text) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    }
    return text;
}

class TOutputCandidates
{
public:
    TOutputCandidates(const QString& namingSource, const QString& extension,
                      const QString& outputFolder)
        : FBase(QDir(OutputFolderFor(namingSource, outputFolder)).filePath(FileStem(namingSource))),
          FExtension(AsciiLower(extension))
    {}

    QString At(int number) const
    {
        if (number == 0)
            return FBase % u'.' % FExtension;
        return FBase % u" ("_s % QString::number(number) % u")."_s % FExtension;
    }

private:
    static QString OutputFolderFor(const QString& namingSource, const QString& outputFolder)
    {
        if (!outputFolder.isEmpty())
            return outputFolder;
        return QFileInfo(namingSource).absolutePath();
    }

    QString FBase;
    QString FExtension;
};

// A file or a link to one; a folder of that name does not count.
bool IsFileThere(const QString& path)
{
    return QFileInfo(path).isFile();
}

bool IsAnythingThere(const QString& path)
{
    const QFileInfo entry(path);
    return entry.exists() || entry.isSymLink();
}
} // namespace

QString FileStem(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? name : name.left(dot);
}

QString GetOutputFileName(const QString& namingSource, const QString& extension,
                          const QString& outputFolder)
{
    const TOutputCandidates candidates(namingSource, extension, outputFolder);
    int number = 0;
    while (IsFileThere(candidates.At(number)))
        ++number;
    return candidates.At(number);
}

TOutputReservation ReserveOutputFile(const QString& namingSource, const QString& extension,
                                     const QString& outputFolder)
{
    const TOutputCandidates candidates(namingSource, extension, outputFolder);
    for (int number = 0;; ++number) {
        const QString candidate = candidates.At(number);
        if (IsFileThere(candidate))
            continue;
        QFile file(candidate);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return {candidate, {}};
        // A folder, a dangling link or a file made meanwhile: the name is not ours to take.
        if (!IsAnythingThere(candidate))
            return {{}, file.errorString()};
    }
}
