// Lists a tree of 100,000 small files through AddPath and times it against a bare walk that only
// opens each file and reads its first 12 bytes, in the same run (target: intake at most 1.5 times
// the bare walk), and prints the heap that each row holds (target: under 1 KiB). The two take
// turns folder by folder, so that a change in the machine's load falls on both alike; each keeps
// its best round. Linux only.
#include "input/FileList.h"
#include "window/FileListModel.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <limits>
#include <malloc.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {
constexpr int TopFolders = 20;
constexpr int SubFolders = 10;
constexpr int FilesPerFolder = 500;
constexpr int FileCount = TopFolders * SubFolders * FilesPerFolder;
constexpr int Rounds = 3;

const QByteArray JpegStart = QByteArray::fromHex("FFD8FFE000104A4649460001") + "0123456789";

QString TopFolder(const QString& root, int top)
{
    return u"%1/top-%2"_s.arg(root).arg(top);
}

bool WriteSmallFile(const QString& path)
{
    const int handle =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (handle < 0)
        return false;
    const bool written = ::write(handle, JpegStart.constData(), JpegStart.size()) ==
                         static_cast<ssize_t>(JpegStart.size());
    return ::close(handle) == 0 && written;
}

bool MakeTree(const QString& root)
{
    for (int top = 0; top < TopFolders; ++top) {
        for (int sub = 0; sub < SubFolders; ++sub) {
            const QString folder = u"%1/sub-%2/"_s.arg(TopFolder(root, top)).arg(sub);
            if (!QDir().mkpath(folder))
                return false;
            for (int file = 0; file < FilesPerFolder; ++file) {
                if (!WriteSmallFile(folder + u"photo-%1.jpg"_s.arg(file, 4, 10, QLatin1Char('0'))))
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

struct TRound
{
    qint64 Bare = 0;
    qint64 Intake = 0;
    qint64 FilesRead = 0;
    int Rows = 0;
    std::size_t BytesPerRow = 0;
};

TRound MeasureRound(const QString& root)
{
    TRound round;
    const std::size_t heapBefore = HeapInUse();
    TFileListModel list;
    QElapsedTimer timer;
    for (int top = 0; top < TopFolders; ++top) {
        const QString folder = TopFolder(root, top);
        const auto timeBare = [&] {
            timer.start();
            round.FilesRead += BareWalk(folder);
            round.Bare += timer.elapsed();
        };
        const auto timeIntake = [&] {
            timer.start();
            AddPath(list, folder);
            round.Intake += timer.elapsed();
        };
        // Neither always goes first into whatever the other left behind.
        if (top % 2 == 0) {
            timeBare();
            timeIntake();
        } else {
            timeIntake();
            timeBare();
        }
    }
    round.Rows = list.rowCount();
    round.BytesPerRow = (HeapInUse() - heapBefore) / std::max(round.Rows, 1);
    return round;
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QTextStream out(stdout);
    const QTemporaryDir folder;
    const QString root = folder.filePath(u"tree"_s);
    out << "making " << FileCount << " files..." << Qt::endl;
    if (!folder.isValid() || !MakeTree(root)) {
        out << "cannot make the tree" << Qt::endl;
        return 1;
    }

    BareWalk(root);
    qint64 bestBare = std::numeric_limits<qint64>::max();
    qint64 bestIntake = std::numeric_limits<qint64>::max();
    std::size_t bytesPerRow = 0;
    for (int index = 0; index < Rounds; ++index) {
        const TRound round = MeasureRound(root);
        if (round.FilesRead != FileCount || round.Rows != FileCount) {
            out << "walked " << round.FilesRead << " files, listed " << round.Rows << Qt::endl;
            return 1;
        }
        bestBare = std::min(bestBare, round.Bare);
        bestIntake = std::min(bestIntake, round.Intake);
        bytesPerRow = round.BytesPerRow;
    }

    const double ratio = double(bestIntake) / double(std::max<qint64>(bestBare, 1));
    out << "bare walk " << bestBare << " ms, intake " << bestIntake << " ms for " << FileCount
        << " files" << Qt::endl;
    out << "intake/bare ratio " << QString::number(ratio, 'f', 2) << " (target <= 1.50)"
        << Qt::endl;
    out << "memory per row " << bytesPerRow << " bytes (target < 1024)" << Qt::endl;
    return 0;
}
