#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>

#include <chrono>
#include <functional>
#include <optional>

// The update service's protocol: the request headers, one GET, the retries and the hold request.
// Requests run on service threads (ServiceThreads.h); the rest is called on the main thread.

using THeaderList = QList<QPair<QByteArray, QByteArray>>;

// Replies longer than this count as failed requests, so a broken service cannot exhaust memory.
inline constexpr qsizetype MaxReplySize = 1024 * 1024;
inline constexpr int MaxAttempts = 6;
inline constexpr int PausesAfterFailure = 1000;
inline constexpr std::chrono::milliseconds DefaultPauseStep{10};
// A transfer that moves no byte for this long is a failed attempt.
inline constexpr std::chrono::milliseconds DefaultTransferTimeout{30000};
// Redirects followed within one request; only to http and https, never from https down to http.
inline constexpr int MaxRedirects = 5;

// Empty when the program was built without an update service address.
QString BuiltInServiceUrl();

// Where every request goes and how the update dialog shifts its extra row; set by the start of
// the check and kept until the program ends. Main thread.
void SetServiceParameters(const QString& url, int layoutOffset);
QString ServiceURL();
int LayoutOffset();

THeaderList StartupHeaders();
THeaderList HoldHeaders();

// One GET with the headers in list order, following redirects. Every response with a status line
// is a reply, whatever its status, a redirect not followed included; nullopt when none came: the
// request failed, stalled for `transferTimeout`, the body exceeded MaxReplySize or the calling
// thread was asked to stop. Runs on a service thread.
std::optional<QString>
ServiceRequest(const QUrl& url, const THeaderList& headers,
               std::chrono::milliseconds transferTimeout = DefaultTransferTimeout);

// Up to MaxAttempts requests with PausesAfterFailure pauses of `pauseStep` after each failure;
// the empty text when all failed, nullopt when the calling thread was asked to stop.
std::optional<QString>
RequestWithRetries(const QUrl& url, const THeaderList& headers, std::chrono::milliseconds pauseStep,
                   std::chrono::milliseconds transferTimeout = DefaultTransferTimeout);

// Starts the check on a service thread and hands its reply to `handleReply` on the main thread,
// waiting there until it returns. Nothing is handed over when the thread is stopped first.
void StartUpdateCheck(const QString& url, int layoutOffset,
                      std::function<void(const QString& reply)> handleReply,
                      std::chrono::milliseconds pauseStep);

// Tells the service not to offer this update again; fire and forget, on its own thread.
void SendHoldRequest();

// The only targets a reply may make the program open: absolute http and https addresses.
bool IsWebAddress(const QString& target);

// The reply's string value for `key` ("key":"value", first occurrence, key in any ASCII case),
// escapes decoded; empty when absent. Throws TJsonEscapeError on a malformed \u escape.
QString ReplyValue(const QString& text, const QString& key);
