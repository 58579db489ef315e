#pragma once

#include "TestFiles.h"
#include "convert/RunProcess.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>

// Helpers shared by the hostile-input tests.

// Every entry under a folder with what it holds (a file's digest, a link's target), so that two
// snapshots show anything made, changed or removed; the folders in `skipped` are left out.
inline QMap<QString, QByteArray> TakeSnapshot(const QString& root, const QStringList& skipped = {})
{
    QMap<QString, QByteArray> entries;
    QDirIterator walk(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                      QDirIterator::Subdirectories);
    while (walk.hasNext()) {
        const QString path = walk.next();
        const QFileInfo entry = walk.fileInfo();
        const bool isSkipped = std::any_of(skipped.begin(), skipped.end(), [&](const QString& s) {
            return path == s || path.startsWith(s + u'/');
        });
        if (isSkipped)
            continue;
        if (entry.isSymLink())
            entries.insert(path, "link to " + QFile::encodeName(entry.symLinkTarget()));
        else if (entry.isDir())
            entries.insert(path, "folder");
        else
            entries.insert(path,
                           QCryptographicHash::hash(ReadFile(path), QCryptographicHash::Sha1));
    }
    return entries;
}

// What differs between two snapshots: entries made, removed or changed.
inline QStringList Differences(const QMap<QString, QByteArray>& before,
                               const QMap<QString, QByteArray>& after)
{
    QStringList differences;
    for (auto entry = after.begin(); entry != after.end(); ++entry) {
        if (!before.contains(entry.key()))
            differences << QStringLiteral("made: ") + entry.key();
        else if (before.value(entry.key()) != entry.value())
            differences << QStringLiteral("changed: ") + entry.key();
    }
    for (auto entry = before.begin(); entry != before.end(); ++entry) {
        if (!after.contains(entry.key()))
            differences << QStringLiteral("removed: ") + entry.key();
    }
    return differences;
}

// Width and height of every frame, as ImageMagick reads the file; empty when it cannot. Read
// through a copy with a plain name, so that the name itself cannot matter.
inline QStringList Frames(const QString& imageMagick, const QString& path)
{
    const QTemporaryDir folder;
    const QString plain = folder.filePath(QStringLiteral("image.") + QFileInfo(path).suffix());
    if (!QFile::copy(path, plain))
        return {};
    const QString printed =
        RunProcess(imageMagick, {plain, QStringLiteral("-format"), QStringLiteral("%w %h\n"),
                                 QStringLiteral("info:")});
    const QStringList frames = printed.split(u'\n', Qt::SkipEmptyParts);
    const bool isImage =
        !frames.isEmpty() && std::all_of(frames.begin(), frames.end(), [](const QString& frame) {
            return frame.section(u' ', 0, 0).toInt() > 0;
        });
    return isImage ? frames : QStringList();
}
