#include "update/UpdateService.h"

#include "base/MainThread.h"
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

// The transfer broke off before the response was whole: the connection, a time-out, an abort
// or a broken message (a reset HTTP/2 stream). These keep the status line of a response that
// has begun; the errors Qt derives from the status itself (400 and 418 as protocol errors, 407
// as a proxy error) are not among them.
bool IsBrokenTransfer(QNetworkReply::NetworkError error)
{
    const bool isNetworkError =
        error > QNetworkReply::NoError && error <= QNetworkReply::UnknownNetworkError;
    return isNetworkError || error == QNetworkReply::ProtocolFailure;
}

// Any response with a status line is a reply, whatever its status.
bool IsWholeResponse(const QNetworkReply& reply)
{
    return reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid() &&
           !IsBrokenTransfer(reply.error());
}

// Where a redirect leads, or an empty address when the response is none or is not to be
// followed: only to web addresses, and never from https down to http.
QUrl RedirectTarget(const QNetworkReply& reply)
{
    static const QList<int> RedirectStatuses{301, 302, 303, 307, 308};
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QUrl location = reply.attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
    if (!RedirectStatuses.contains(status) || location.isEmpty())
        return {};
    const QUrl target = reply.url().resolved(location);
    const bool isDowngrade = reply.url().scheme() == u"https"_s && target.scheme() == u"http"_s;
    if (isDowngrade || !IsWebAddress(target.toString(QUrl::FullyEncoded)))
        return {};
    return target;
}

// Redirects are followed by ServiceRequest, so that one not followed is still a response with
// its body.
QNetworkRequest MakeRequest(const QUrl& url, const THeaderList& headers,
                            std::chrono::milliseconds transferTimeout)
{
    QNetworkRequest request(url);
    for (const auto& [name, value] : headers)
        request.setRawHeader(name, value);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setTransferTimeout(static_cast<int>(transferTimeout.count()));
    return request;
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

std::optional<QString> ServiceRequest(const QUrl& url, const THeaderList& headers,
                                      std::chrono::milliseconds transferTimeout)
{
    QNetworkAccessManager manager;
    QUrl target = url;
    for (int redirects = 0;; ++redirects) {
        if (IsStopRequested())
            return std::nullopt;
        const std::unique_ptr<QNetworkReply> reply(
            manager.get(MakeRequest(target, headers, transferTimeout)));
        const auto body = ReadLimitedBody(*reply);
        if (!body || IsStopRequested() || !IsWholeResponse(*reply))
            return std::nullopt;
        target = RedirectTarget(*reply);
        if (target.isEmpty() || redirects == MaxRedirects)
            return QString::fromUtf8(*body);
    }
}

std::optional<QString> RequestWithRetries(const QUrl& url, const THeaderList& headers,
                                          std::chrono::milliseconds pauseStep,
                                          std::chrono::milliseconds transferTimeout)
{
    for (int attempt = 0; attempt < MaxAttempts; ++attempt) {
        if (auto reply = ServiceRequest(url, headers, transferTimeout))
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
