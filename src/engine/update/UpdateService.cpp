#include "update/UpdateService.h"

#include "base/MorvaneBuild.h"
#include "base/Version.h"
#include "i18n/Translate.h"
#include "update/ClientId.h"
#include "update/ReplyText.h"
#include "update/ServiceThreads.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QThread>
#include <QTimer>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr std::chrono::milliseconds InterruptionPoll{10};

struct TServiceParameters
{
    QString Url;
    int LayoutOffset = 0;
};

TServiceParameters& Parameters()
{
    static TServiceParameters parameters;
    return parameters;
}

QByteArray VersionHeader()
{
    return GetFileVersion("%d.%d.%d.%d").toLatin1();
}

bool IsStopRequested()
{
    return QThread::currentThread()->isInterruptionRequested();
}

// Statuses such as 404 or 500 still carry a response; transport, proxy and protocol errors don't.
bool IsResponse(QNetworkReply::NetworkError error)
{
    const bool isContentError =
        error >= QNetworkReply::ContentAccessDenied && error <= QNetworkReply::UnknownContentError;
    const bool isServerError =
        error >= QNetworkReply::InternalServerError && error <= QNetworkReply::UnknownServerError;
    return error == QNetworkReply::NoError || isContentError || isServerError;
}

// Waits on a local event loop until the reply has finished; nullopt once the body grows beyond
// MaxReplySize (the request is then aborted). A stop request aborts the request too.
std::optional<QByteArray> ReadLimitedBody(QNetworkReply& reply)
{
    QByteArray body;
    bool isTooLong = false;
    const auto collect = [&] {
        if (!reply.isOpen())
            return;
        body += reply.readAll();
        if (body.size() > MaxReplySize && !isTooLong) {
            isTooLong = true;
            reply.abort();
        }
    };
    QObject::connect(&reply, &QNetworkReply::readyRead, &reply, collect);
    QTimer stopPoll;
    QObject::connect(&stopPoll, &QTimer::timeout, &reply, [&reply] {
        if (IsStopRequested())
            reply.abort();
    });
    stopPoll.start(InterruptionPoll);

    QEventLoop loop;
    QObject::connect(&reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply.isFinished())
        loop.exec();
    collect();
    if (isTooLong)
        return std::nullopt;
    return body;
}

bool PauseAfterFailure(std::chrono::milliseconds pauseStep)
{
    for (int pause = 0; pause < PausesAfterFailure; ++pause) {
        if (IsStopRequested())
            return false;
        QThread::msleep(static_cast<unsigned long>(pauseStep.count()));
    }
    return true;
}

} // namespace

bool IsUpdateCheckEnabled()
{
    return !BuiltInServiceUrl().isEmpty();
}

QString BuiltInServiceUrl()
{
    return QString::fromUtf8(MorvaneBuild::UpdateUrl);
}

void SetServiceParameters(const QString& url, int layoutOffset)
{
    Parameters() = {url, layoutOffset};
}

QString ServiceURL()
{
    return Parameters().Url;
}

int LayoutOffset()
{
    return Parameters().LayoutOffset;
}

THeaderList StartupHeaders()
{
    return {{"User-Version", VersionHeader()},
            {"User-Language", CurrentLanguage().toUtf8()},
            {"User-Debug", "false"},
            {"User-Union", GetClientId().toUtf8()}};
}

THeaderList HoldHeaders()
{
    return {{"User-Version", VersionHeader()}, {"User-Command", "hold"}};
}

std::optional<QString> ServiceRequest(const QUrl& url, const THeaderList& headers)
{
    if (IsStopRequested())
        return std::nullopt;
    QNetworkRequest request(url);
    for (const auto& [name, value] : headers)
        request.setRawHeader(name, value);
    QNetworkAccessManager manager;
    const std::unique_ptr<QNetworkReply> reply(manager.get(request));
    const auto body = ReadLimitedBody(*reply);
    if (!body || IsStopRequested() || !IsResponse(reply->error()))
        return std::nullopt;
    return QString::fromUtf8(*body);
}

std::optional<QString> RequestWithRetries(const QUrl& url, const THeaderList& headers,
                                          std::chrono::milliseconds pauseStep)
{
    for (int attempt = 0; attempt < MaxAttempts; ++attempt) {
        if (auto reply = ServiceRequest(url, headers))
            return reply;
        if (!PauseAfterFailure(pauseStep))
            return std::nullopt;
    }
    return QString();
}

void StartUpdateCheck(const QString& url, int layoutOffset,
                      std::function<void(const QString& reply)> handleReply,
                      std::chrono::milliseconds pauseStep)
{
    SetServiceParameters(url, layoutOffset);
    StartServiceThread([url = QUrl(url), handleReply = std::move(handleReply), pauseStep] {
        const auto reply = RequestWithRetries(url, StartupHeaders(), pauseStep);
        if (reply)
            RunOnMainThread([&] { handleReply(*reply); });
    });
}

void SendHoldRequest()
{
    StartServiceThread([url = QUrl(ServiceURL())] { ServiceRequest(url, HoldHeaders()); });
}

bool IsWebAddress(const QString& target)
{
    const QUrl url(target, QUrl::StrictMode);
    const QString scheme = url.scheme();
    return url.isValid() && !url.host().isEmpty() && (scheme == u"http"_s || scheme == u"https"_s);
}

QString ReplyValue(const QString& text, const QString& key)
{
    return UnescapeJson(ExtractBetween(text, u"\""_s % key % u"\":\""_s, u"\""_s));
}
