#include "drop/DragFileNative.h"

std::unique_ptr<TNativeDropReceiver> TNativeDropReceiver::Attach(QWidget*, TDropProc)
{
    return nullptr;
}
