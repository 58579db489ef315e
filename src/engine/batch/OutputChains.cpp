#include "batch/OutputChains.h"

#include "input/FileType.h"
#include "output/OutputFolder.h"
#include "output/OutputName.h"

#include <QHash>
#include <QSet>

#include <optional>

using namespace Qt::StringLiterals;

namespace {
// Keys are case-folded: on a file system that ignores case, "A.png" and "a.png" are one name.
QString FolderKey(const TFileInfo& input, const TConvertOptions& options)
{
    return OutputFolderOf(options.OutputFolder, OutputSubfolder(options, input), input.FileName)
        .toCaseFolded();
}

QString StemKey(const QString& fileName)
{
    return FileStem(fileName).toCaseFolded();
}

bool IsDocument(const TFileInfo& input)
{
    return SourceKindOf(input.Format) == TSourceKind::Document;
}

class TChainKeys
{
public:
    TChainKeys(const QList<TFileInfo>& inputs, const TConvertOptions& options) : FOptions(options)
    {
        for (const TFileInfo& input : inputs) {
            if (IsDocument(input))
                FDocuments.insert(DocumentKey(FolderKey(input, FOptions), StemKey(input.FileName)));
        }
    }

    QString KeyOf(const TFileInfo& input) const
    {
        const QString folder = FolderKey(input, FOptions);
        // Pages are numbered after the whole stem: "a (1).pdf" gives "a (1)-001".
        if (IsDocument(input))
            return DocumentKey(folder, StemKey(input.FileName));
        const QString stem = StemWithoutCopyNumbers(StemKey(input.FileName));
        // An image named like a page of a PDF being converted competes with that page.
        if (const std::optional<QString> document = DocumentStemOfPage(stem);
            document && FDocuments.contains(DocumentKey(folder, *document)))
            return DocumentKey(folder, *document);
        return folder + u"/i:"_s + stem;
    }

private:
    static QString DocumentKey(const QString& folder, const QString& stem)
    {
        return folder + u"/d:"_s + stem;
    }

    const TConvertOptions& FOptions;
    QSet<QString> FDocuments;
};
} // namespace

QList<QList<qsizetype>> OutputChains(const QList<TFileInfo>& inputs, const TConvertOptions& options)
{
    const TChainKeys keys(inputs, options);
    QHash<QString, qsizetype> chainOfKey;
    QList<QList<qsizetype>> chains;
    for (qsizetype index = 0; index < inputs.size(); ++index) {
        const QString key = keys.KeyOf(inputs[index]);
        const auto found = chainOfKey.constFind(key);
        if (found != chainOfKey.constEnd()) {
            chains[*found].append(index);
            continue;
        }
        chainOfKey.insert(key, chains.size());
        chains.append(QList<qsizetype>{index});
    }
    return chains;
}
