// Lists a tree of 100,000 small files through AddPath and times it against a bare walk that only
// opens each file and reads its first 12 bytes, in the same run (target: intake at most 1.5 times
// the bare walk), and prints the heap that each row holds (target: under 1 KiB). The two walks
// alternate, after one warming walk, and each keeps its best round. Linux only.
#include "input/FileList.h"
#include "input/FileListModel.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <fcntl.h>
#include <filesystem>
#include <malloc.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {
constexpr int TopFolders = 20;
constexpr int SubFolders = 10;
constexpr int FilesPerFolder = 500;
constexpr int Rounds = 5;

const QByteArray JpegStart = QByteArray::fromHex("FFD8FFE000104A4649460001") + "0123456789";

bool MakeTree(const QString& root)
{
    for (int top = 0; top < TopFolders; ++top) {
        for (int sub = 0; sub < SubFolders; ++sub) {
            const QString folder = u"%1/top-%2/sub-%3/"_s.arg(root).arg(top).arg(sub);
            if (!QDir().mkpath(folder))
                return false;
            for (int file = 0; file < FilesPerFolder; ++file) {
                QFile image(folder + u"photo-%1.jpg"_s.arg(file, 4, 10, QLatin1Char('0')));
                if (!image.open(QIODevice::WriteOnly) || image.write(JpegStart) != JpegStart.size())
                    return false;
            }
        }
    }
    return true;
}

// The least a lister must do: find every file, open it, read 12 bytes.
qint64 BareWalk(const QString& root)
{
    qint64 read = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root.toStdString())) {
        if (!entry.is_regular_file())
            continue;
        const int handle = ::open(entry.path().c_str(), O_RDONLY | O_CLOEXEC);
        if (handle < 0)
            continue;
        char probe[12];
        if (::read(handle, probe, sizeof probe) == sizeof probe)
            ++read;
        ::close(handle);
    }
    return read;
}

std::size_t HeapInUse()
{
    return mallinfo2().uordblks;
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QTextStream out(stdout);
    const QTemporaryDir folder;
    const QString root = folder.filePath(u"tree"_s);
    const int fileCount = TopFolders * SubFolders * FilesPerFolder;
    out << "making " << fileCount << " files..." << Qt::endl;
    if (!folder.isValid() || !MakeTree(root)) {
        out << "cannot make the tree" << Qt::endl;
        return 1;
    }

    BareWalk(root);
    qint64 bestBare = std::numeric_limits<qint64>::max();
    qint64 bestIntake = std::numeric_limits<qint64>::max();
    std::size_t bytesPerRow = 0;
    for (int round = 0; round < Rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        const qint64 read = BareWalk(root);
        bestBare = std::min(bestBare, timer.elapsed());

        const std::size_t heapBefore = HeapInUse();
        TFileListModel list;
        timer.restart();
        AddPath(list, root);
        bestIntake = std::min(bestIntake, timer.elapsed());
        bytesPerRow = (HeapInUse() - heapBefore) / std::max(list.rowCount(), 1);
        if (read != fileCount || list.rowCount() != fileCount) {
            out << "walked " << read << " files, listed " << list.rowCount() << Qt::endl;
            return 1;
        }
    }

    const double ratio = double(bestIntake) / double(std::max<qint64>(bestBare, 1));
    out << "bare walk " << bestBare << " ms, intake " << bestIntake << " ms for " << fileCount
        << " files" << Qt::endl;
    out << "intake/bare ratio " << QString::number(ratio, 'f', 2) << " (target <= 1.50)"
        << Qt::endl;
    out << "memory per row " << bytesPerRow << " bytes (target < 1024)" << Qt::endl;
    return 0;
}
