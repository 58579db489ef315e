// DetectFileType on arbitrary file contents and names. Input: name (text), then the file's bytes.
#include "input/FileType.h"

#include "FuzzInput.h"
#include "TestFiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QString Folder()
{
    static const QTemporaryDir folder;
    return folder.path();
}

// The lowest free descriptor number: it grows when a call leaves a file open.
int LowestFreeDescriptor()
{
    const int probe = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    ::close(probe);
    return probe;
}

// A type that did not come from the bytes must be the name's own extension.
bool IsExtensionOf(const QString& type, const QString& name)
{
    return type.isEmpty() || name.endsWith(u'.' + type, Qt::CaseInsensitive);
}

bool IsCreatableName(const QString& name)
{
    return !name.isEmpty() && name != u"."_s && name != u".."_s && !name.contains(u'/') &&
           !name.contains(QChar(u'\0')) && QFile::encodeName(name).size() <= 255;
}

void CheckFile(const QString& name, const QByteArray& bytes)
{
    const QString path = Folder() + u'/' + name;
    if (!WriteFile(path, bytes))
        return;
    const int freeBefore = LowestFreeDescriptor();
    const QString type = DetectFileType(path);
    FuzzCheck(LowestFreeDescriptor() == freeBefore, "detection leaves no file open");
    FuzzCheck(DetectFileType(path) == type, "detection is repeatable");
    if (bytes.size() <= 12)
        FuzzCheck(IsExtensionOf(type, name), "a short file is typed by its extension only");
    // Only the first 12 bytes may count, so a longer tail changes nothing.
    if (bytes.size() > 12) {
        FuzzCheck(WriteFile(path, bytes + bytes), "the longer file is written");
        FuzzCheck(DetectFileType(path) == type, "bytes after the 12th do not change the type");
    }
    QFile::remove(path);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TFuzzInput input(data, size);
    const QString name = input.Text();
    const QByteArray bytes = input.Rest();

    // Under a folder that does not exist nothing can be read, whatever the name holds ("..").
    FuzzCheck(IsExtensionOf(DetectFileType(Folder() + u"/missing/"_s + name), name),
              "a missing file is typed by its extension only");
    if (IsCreatableName(name))
        CheckFile(name, bytes);
    return 0;
}
