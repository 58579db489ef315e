#pragma once

#include <QStringList>
#include <QTemporaryDir>

#include <optional>

// A fresh, empty folder for each test function's pictures. A test class inherits it after
// QObject, calls NewPicFolder() in init() and RemovePicFolder() in cleanup(), and names its
// files with Pic().
class TPicFixture
{
protected:
    void NewPicFolder() { FPics.emplace(); }
    void RemovePicFolder() { FPics.reset(); }

    QString Pics() const { return FPics->path(); }
    QString Pic(const QString& name) const { return FPics->filePath(name); }
    QStringList Pics(const QStringList& names) const;

private:
    std::optional<QTemporaryDir> FPics;
};
