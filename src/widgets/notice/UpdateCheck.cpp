#include "notice/UpdateCheck.h"

#include "desktop/ShellOpen.h"
#include "notice/UpdateDialog.h"
#include "notice/UpdateStatus.h"
#include "update/ReplyText.h"

#include <QPointer>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace {

// A reply may only make the program open web pages, never a local file or program.
QString WebAddressValue(const QString& reply, const QString& key)
{
    const QString target = ReplyValue(reply, key);
    return IsWebAddress(target) ? target : QString();
}

bool OfferUpdate(const QString& reply)
{
    const QString update = WebAddressValue(reply, u"update"_s);
    if (update.isEmpty() || !UpdateDialog(reply))
        return false;
    ShellOpen(update);
    return true;
}

} // namespace

void CheckUpdate(const QString& url, TUpdateCallback callback, int layoutOffset,
                 QWidget* mainWindow, std::chrono::milliseconds pauseStep)
{
    if (url.isEmpty())
        return;
    QPointer<QWidget> window(mainWindow);
    auto handleReply = [callback = std::move(callback), window](const QString& reply) {
        const auto updateTaken = HandleUpdateReply(reply, window.data());
        if (updateTaken && callback)
            callback(*updateTaken, reply);
    };
    StartUpdateCheck(url, layoutOffset, std::move(handleReply), pauseStep);
}

std::optional<bool> HandleUpdateReply(const QString& reply, QWidget* mainWindow)
{
    try {
        const bool updateTaken = OfferUpdate(reply);
        const QString notify = WebAddressValue(reply, u"notify"_s);
        if (!notify.isEmpty())
            ShowUpdateStatus(mainWindow, notify);
        return updateTaken;
    } catch (const TJsonEscapeError&) {
        return std::nullopt;
    }
}
