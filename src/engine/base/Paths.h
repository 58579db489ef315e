#pragma once

#include <QDir>
#include <QString>

// The path as a folder, ending with a delimiter ("/", on Windows also "\"); a delimiter already
// there stays as it is.
inline QString FolderForm(const QString& path)
{
    return path.endsWith(u'/') || path.endsWith(QDir::separator()) ? path
                                                                   : path + QDir::separator();
}
