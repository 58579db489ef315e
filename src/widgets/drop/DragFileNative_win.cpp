#include "drop/DragFileNative.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QWidget>

#include <windows.h>

// Needs the types of windows.h.
#include <shellapi.h>

#include <vector>

namespace {

constexpr UINT CopyGlobalDataMessage = 0x49;
constexpr DWORD AddToAllowedMessages = 1; // MSGFLT_ADD, not declared by every SDK

// Lets the shell of a less privileged process drop files on an elevated instance. Process-wide
// and never withdrawn; systems without the function just keep refusing such drops.
void AllowDropsFromLessPrivilegedProcesses()
{
    using TChangeWindowMessageFilter = BOOL(WINAPI*)(UINT, DWORD);
    const HMODULE user32 = LoadLibraryW(L"USER32.DLL");
    if (!user32)
        return;
    const auto change = reinterpret_cast<TChangeWindowMessageFilter>(
        reinterpret_cast<void*>(GetProcAddress(user32, "ChangeWindowMessageFilter")));
    if (change) {
        change(WM_DROPFILES, AddToAllowedMessages);
        change(CopyGlobalDataMessage, AddToAllowedMessages);
    }
    FreeLibrary(user32);
}

// Each name whole, however long: the buffer is sized from the name's own length.
QStringList DroppedNames(HDROP drop)
{
    QStringList names;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT index = 0; index < count; ++index) {
        const UINT length = DragQueryFileW(drop, index, nullptr, 0);
        std::vector<wchar_t> name(std::size_t(length) + 1, L'\0');
        const UINT copied = DragQueryFileW(drop, index, name.data(), UINT(name.size()));
        names << QString::fromWCharArray(name.data(), int(copied));
    }
    return names;
}

class TWindowsDropReceiver : public TNativeDropReceiver, public QAbstractNativeEventFilter
{
public:
    TWindowsDropReceiver(QWidget* target, TDropProc dropProc)
        : FDropProc(std::move(dropProc)), FHandle(reinterpret_cast<HWND>(target->winId()))
    {
        AllowDropsFromLessPrivilegedProcesses();
        QCoreApplication::instance()->installNativeEventFilter(this);
        DragAcceptFiles(FHandle, TRUE);
    }

    ~TWindowsDropReceiver() override
    {
        DragAcceptFiles(FHandle, FALSE);
        if (QCoreApplication* application = QCoreApplication::instance())
            application->removeNativeEventFilter(this);
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override
    {
        if (eventType != "windows_generic_MSG")
            return false;
        const MSG* windowMessage = static_cast<const MSG*>(message);
        if (windowMessage->hwnd != FHandle || windowMessage->message != WM_DROPFILES)
            return false;
        const auto drop = reinterpret_cast<HDROP>(windowMessage->wParam);
        const QStringList names = DroppedNames(drop);
        DragFinish(drop);
        *result = 0;
        FDropProc(names);
        return true;
    }

private:
    TDropProc FDropProc;
    HWND FHandle;
};

} // namespace

std::unique_ptr<TNativeDropReceiver> TNativeDropReceiver::Attach(QWidget* target,
                                                                 TDropProc dropProc)
{
    return std::make_unique<TWindowsDropReceiver>(target, std::move(dropProc));
}
