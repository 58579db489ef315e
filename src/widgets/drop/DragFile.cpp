#include "drop/DragFile.h"

#include "drop/DragFileNative.h"

#include <QAbstractScrollArea>
#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace {
bool CarriesLocalFiles(const QMimeData* data)
{
    return !TDragFile::LocalPaths(data).isEmpty();
}

// The list only reads the files: a drop is always a copy, never a move after which the source
// would delete its originals. A source that offers no copy is refused.
bool AcceptAsCopy(QDropEvent* event)
{
    if (!(event->possibleActions() & Qt::CopyAction))
        return false;
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return true;
}
} // namespace

TDragFile::TDragFile(QAbstractScrollArea* control, TDropProc dropProc)
    : FControl(control), FDropProc(std::move(dropProc))
{
    QWidget* viewport = control->viewport();
    FViewportAcceptedDrops = viewport->acceptDrops();
    viewport->installEventFilter(this);
    viewport->setAcceptDrops(true);
    FNativeReceiver = TNativeDropReceiver::Attach(viewport, FDropProc);
}

TDragFile::~TDragFile()
{
    FNativeReceiver.reset();
    if (!FControl)
        return;
    QWidget* viewport = FControl->viewport();
    viewport->removeEventFilter(this);
    viewport->setAcceptDrops(FViewportAcceptedDrops);
}

QStringList TDragFile::LocalPaths(const QMimeData* data)
{
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            paths << QDir::toNativeSeparators(url.toLocalFile());
    }
    return paths;
}

bool TDragFile::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (!CarriesLocalFiles(drag->mimeData()))
            return QObject::eventFilter(watched, event);
        if (!AcceptAsCopy(drag))
            drag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QStringList paths = LocalPaths(drop->mimeData());
        if (paths.isEmpty())
            return QObject::eventFilter(watched, event);
        if (AcceptAsCopy(drop))
            FDropProc(paths);
        else
            drop->ignore();
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}
