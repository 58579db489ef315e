#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>

class QAbstractScrollArea;
class QMimeData;
class TNativeDropReceiver;

// Hands files and folders dropped on a list to a callback: once per drop, synchronously, as one
// list of full local paths in the order the drag carried them. Other drags and every other event
// reach the list as before. Destroying it detaches it and the list refuses drops again. Main
// thread.
class TDragFile : public QObject
{
    Q_OBJECT

public:
    using TDropProc = std::function<void(const QStringList& paths)>;

    TDragFile(QAbstractScrollArea* control, TDropProc dropProc);
    ~TDragFile() override;

    // The local files among the drag's addresses, in native form; other addresses are left out.
    static QStringList LocalPaths(const QMimeData* data);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QAbstractScrollArea> FControl;
    TDropProc FDropProc;
    bool FViewportAcceptedDrops = false;
    std::unique_ptr<TNativeDropReceiver> FNativeReceiver;
};
