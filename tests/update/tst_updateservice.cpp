#include "TestHome.h"
#include "TestServer.h"
#include "base/MainThread.h"
#include "i18n/Translate.h"
#include "update/ClientId.h"
#include "update/ServiceThreads.h"
#include "update/UpdateService.h"
#include "update/UpdateText.h"

#include <QTest>
#include <QThread>
#include <QTimer>

#include <atomic>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

const QList<QByteArray> StartupHeaderNames{"User-Version", "User-Language", "User-Debug",
                                           "User-Union"};

// Runs `work` on a thread of its own, as the program does, and waits for it while this thread
// goes on serving the test server. The end is noted here through a queued connection: a
// QSignalSpy would be written by the worker while this thread reads it.
template <typename TWork> void RunOnThread(TWork work)
{
    std::unique_ptr<QThread> thread(QThread::create(std::move(work)));
    bool isFinished = false;
    const QObject receiver;
    QObject::connect(thread.get(), &QThread::finished, &receiver,
                     [&isFinished] { isFinished = true; });
    thread->start();
    QTRY_VERIFY_WITH_TIMEOUT(isFinished, 10000);
    thread->wait();
}

// Stands for the address of the second server in a redirect's Location, known only once it runs.
const QByteArray TargetPlaceholder = "%target";

const QByteArray RedirectBody = "{\"from\":\"redirect\"}";
const QByteArray TargetBody = "{\"from\":\"target\"}";

const QString EnglishMessage =
    u"This program has been updated.\r\rIt is recommended to download and execute new for stable "
    u"use.\r\rDo you want to download it?"_s;

} // namespace

class TUpdateServiceTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { SetCurrentLanguage(u"en"_s); }

    void cleanup() { QVERIFY(StopServiceThreads(5s)); }

    void serviceRequest_data()
    {
        QTest::addColumn<TTestAnswer>("answer");
        QTest::addColumn<bool>("isAnswered");
        QTest::addColumn<QString>("expected");

        const QByteArray utf8 = u"{\"notify\":\"café 업데이트\"}"_s.toUtf8();
        QTest::newRow("utf-8 whatever the declared charset")
            << TTestAnswer::Json(utf8) << true << QString::fromUtf8(utf8);
        QTest::newRow("error status with a body")
            << TTestAnswer::Json("{\"notify\":\"https://n.example/\"}", 404) << true
            << u"{\"notify\":\"https://n.example/\"}"_s;
        QTest::newRow("server error, empty body")
            << TTestAnswer::Json({}, 500) << true << QString();
        QTest::newRow("body of exactly the limit")
            << TTestAnswer::Json(QByteArray(MaxReplySize, 'a')) << true
            << QString(MaxReplySize, u'a');
        QTest::newRow("body over the limit")
            << TTestAnswer::Json(QByteArray(MaxReplySize + 1, 'a')) << false << QString();
        QTest::newRow("connection closed unanswered")
            << TTestAnswer::HangUp() << false << QString();
        QTest::newRow("broken off in the body") << TTestAnswer::Truncated() << false << QString();
    }
    void serviceRequest()
    {
        QFETCH(TTestAnswer, answer);
        QFETCH(bool, isAnswered);
        QFETCH(QString, expected);
        TTestServer server;
        server.SetFallback(answer);
        std::optional<QString> reply;
        const QUrl url(server.Url());
        RunOnThread([&] { reply = ServiceRequest(url, {}); });
        QCOMPARE(reply.has_value(), isAnswered);
        if (isAnswered)
            QCOMPARE(*reply, expected);
    }

    void redirects_data()
    {
        QTest::addColumn<TTestScheme>("fromScheme");
        QTest::addColumn<TTestScheme>("toScheme");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("location");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<int>("firstServerAsked");
        QTest::addColumn<int>("targetServerAsked");

        const auto http = TTestScheme::Http;
        const auto https = TTestScheme::Https;
        QTest::newRow("302 to another http server")
            << http << http << 302 << TargetPlaceholder << TargetBody << 1 << 1;
        QTest::newRow("301 from http up to https")
            << http << https << 301 << TargetPlaceholder << TargetBody << 1 << 1;
        QTest::newRow("307 from https to https")
            << https << https << 307 << TargetPlaceholder << TargetBody << 1 << 1;
        QTest::newRow("308 relative to the same server")
            << http << http << 308 << QByteArray("/moved%20here?a=1") << TargetBody << 2 << 0;
        QTest::newRow("302 from https down to http is not followed")
            << https << http << 302 << TargetPlaceholder << RedirectBody << 1 << 0;
        QTest::newRow("301 without Location")
            << http << http << 301 << QByteArray() << RedirectBody << 1 << 0;
        QTest::newRow("303 to ftp is not followed")
            << http << http << 303 << QByteArray("ftp://127.0.0.1/setup.exe") << RedirectBody << 1
            << 0;
        QTest::newRow("302 to a file is not followed")
            << http << http << 302 << QByteArray("file:///etc/passwd") << RedirectBody << 1 << 0;
        QTest::newRow("302 to an empty host is not followed")
            << http << http << 302 << QByteArray("http:///moved") << RedirectBody << 1 << 0;
    }
    void redirects()
    {
        QFETCH(TTestScheme, fromScheme);
        QFETCH(TTestScheme, toScheme);
        QFETCH(int, status);
        QFETCH(QByteArray, location);
        QFETCH(QByteArray, expected);
        QFETCH(int, firstServerAsked);
        QFETCH(int, targetServerAsked);
        TTestHome home;
        TrustTestCertificate();
        TTestServer target(toScheme);
        target.SetFallback(TTestAnswer::Json(TargetBody));
        TTestServer server(fromScheme);
        QList<QPair<QByteArray, QByteArray>> headers;
        if (!location.isEmpty())
            headers.append(
                {"Location", location.replace(TargetPlaceholder, target.Url().toUtf8())});
        server.Queue(TTestAnswer::Json(RedirectBody, status, headers));
        server.SetFallback(TTestAnswer::Json(TargetBody));

        std::optional<QString> reply;
        const QUrl url(server.Url());
        RunOnThread([&] { reply = ServiceRequest(url, StartupHeaders()); });
        QCOMPARE(reply, QString::fromUtf8(expected));
        QCOMPARE(server.Requests().size(), firstServerAsked);
        QCOMPARE(target.Requests().size(), targetServerAsked);
        const auto followed = server.Requests() + target.Requests();
        for (const TRecordedRequest& request : followed)
            QCOMPARE(request.OrderOf(StartupHeaderNames), StartupHeaderNames);
    }

    void redirectLoopEndsAfterAFewHops()
    {
        TTestServer server;
        server.SetFallback(TTestAnswer::Json(RedirectBody, 302, {{"Location", "/again"}}));
        std::optional<QString> reply;
        const QUrl url(server.Url());
        RunOnThread([&] { reply = ServiceRequest(url, {}); });
        QCOMPARE(reply, QString::fromUtf8(RedirectBody));
        QCOMPARE(server.Requests().size(), 1 + MaxRedirects);
    }

    // A server that sends its headers and then nothing holds an attempt only for the transfer
    // timeout, and the next attempt follows.
    void stalledTransferIsFailedAttempt()
    {
        TTestServer server;
        server.Queue(TTestAnswer::Stalled());
        server.Queue(TTestAnswer::Json(TargetBody));
        std::optional<QString> reply;
        const QUrl url(server.Url());
        RunOnThread([&] { reply = RequestWithRetries(url, {}, 0ms, 200ms); });
        QCOMPARE(reply, QString::fromUtf8(TargetBody));
        QCOMPARE(server.Requests().size(), 2);
    }

    void startupHeadersInOrder()
    {
        TTestHome home;
        SetCurrentLanguage(u"ja"_s);
        TTestServer server;
        server.SetFallback(TTestAnswer::Json("{}"));
        std::optional<QString> reply;
        const QUrl url(server.Url());
        RunOnThread([&] { reply = ServiceRequest(url, StartupHeaders()); });

        QCOMPARE(server.Requests().size(), 1);
        const TRecordedRequest& request = server.Requests().first();
        QCOMPARE(request.RequestLine, QByteArray("GET /api.init.php HTTP/1.1"));
        QCOMPARE(request.OrderOf(StartupHeaderNames), StartupHeaderNames);
        QCOMPARE(request.Header("User-Version"), QByteArray("1.0.0.0"));
        QCOMPARE(request.Header("User-Language"), QByteArray("ja"));
        QCOMPARE(request.Header("User-Debug"), QByteArray("false"));
        QCOMPARE(request.Header("User-Union"), GetClientId().toLatin1());
        QCOMPARE(request.Header("User-Union").size(), 32);
    }

    void holdRequestHeaders()
    {
        TTestServer server;
        SetServiceParameters(server.Url(), 0);
        SendHoldRequest();
        QTRY_COMPARE(server.Requests().size(), 1);
        const TRecordedRequest& request = server.Requests().first();
        const QList<QByteArray> names{"User-Version", "User-Command"};
        QCOMPARE(request.OrderOf(names + StartupHeaderNames), names);
        QCOMPARE(request.Header("User-Version"), QByteArray("1.0.0.0"));
        QCOMPARE(request.Header("User-Command"), QByteArray("hold"));
    }

    void retriesUntilAnswered()
    {
        TTestHome home;
        TTestServer server;
        server.Queue(TTestAnswer::Truncated());
        server.Queue(TTestAnswer::Truncated());
        server.Queue(TTestAnswer::Json("{\"third\":1}"));
        std::optional<QString> handed;
        StartUpdateCheck(
            server.Url(), 0, [&](const QString& reply) { handed = reply; }, 0ms);
        QTRY_VERIFY(handed.has_value());
        QCOMPARE(*handed, u"{\"third\":1}"_s);
        QCOMPARE(server.Requests().size(), 3);
    }

    void everyAttemptFailedHandsOverEmptyReply()
    {
        TTestHome home;
        TTestServer server;
        server.SetFallback(TTestAnswer::Truncated());
        std::optional<QString> handed;
        StartUpdateCheck(
            server.Url(), 0, [&](const QString& reply) { handed = reply; }, 0ms);
        QTRY_VERIFY(handed.has_value());
        QCOMPARE(*handed, QString());
        QCOMPARE(server.Requests().size(), MaxAttempts);
    }

    void stopEndsCheckWithoutHandOver_data()
    {
        QTest::addColumn<TTestAnswer>("answer");
        QTest::newRow("pausing after a failure") << TTestAnswer::Truncated();
        QTest::newRow("server never answers") << TTestAnswer::NeverReply();
    }
    void stopEndsCheckWithoutHandOver()
    {
        QFETCH(TTestAnswer, answer);
        TTestHome home;
        TTestServer server;
        server.SetFallback(answer);
        bool isHandedOver = false;
        StartUpdateCheck(
            server.Url(), 0, [&](const QString&) { isHandedOver = true; }, DefaultPauseStep);
        QTRY_COMPARE(server.Requests().size(), 1);

        QElapsedTimer elapsed;
        elapsed.start();
        QVERIFY(StopServiceThreads(5s));
        QCOMPARE_LT(elapsed.elapsed(), 5000);
        QCoreApplication::processEvents();
        QVERIFY(!isHandedOver);
    }

    // As in main(): the event loop ends while a request is still waiting for the server.
    void endOfEventLoopStopsServiceThreads()
    {
        TTestHome home;
        TTestServer server;
        server.SetFallback(TTestAnswer::NeverReply());
        bool isHandedOver = false;
        StartUpdateCheck(
            server.Url(), 0, [&](const QString&) { isHandedOver = true; }, DefaultPauseStep);
        QTRY_COMPARE(server.Requests().size(), 1);

        QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
        QCoreApplication::exec();
        QVERIFY(StopServiceThreads(0ms));
        QVERIFY(!isHandedOver);
    }

    void handOverRunsOnMainThread()
    {
        QThread* stepThread = nullptr;
        bool isDone = false;
        RunOnThread(
            [&] { isDone = RunOnMainThread([&] { stepThread = QThread::currentThread(); }); });
        QVERIFY(isDone);
        QCOMPARE(stepThread, QCoreApplication::instance()->thread());
    }

    // The main thread blocks here without running its loop, as main() does after it ends.
    void handOverGivesUpWhenStoppedWhileMainThreadIsBusy()
    {
        std::atomic<bool> hasStarted = false;
        std::atomic<bool> isDone = true;
        bool hasRun = false;
        std::unique_ptr<QThread> thread(QThread::create([&] {
            hasStarted = true;
            isDone = RunOnMainThread([&] { hasRun = true; });
        }));
        thread->start();
        while (!hasStarted)
            QThread::yieldCurrentThread();
        thread->requestInterruption();
        QVERIFY(thread->wait(QDeadlineTimer(5s)));
        QVERIFY(!isDone);
        QCoreApplication::sendPostedEvents();
        QVERIFY(!hasRun);
    }

    void webAddresses_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("isWebAddress");
        QTest::newRow("https") << u"https://u.example/setup.exe"_s << true;
        QTest::newRow("http with port and query") << u"http://u.example:8080/a?b=c"_s << true;
        QTest::newRow("scheme in capitals") << u"HTTPS://u.example/"_s << true;
        QTest::newRow("file url") << u"file:///usr/bin/xterm"_s << false;
        QTest::newRow("javascript") << u"javascript:alert(1)"_s << false;
        QTest::newRow("absolute path") << u"/usr/bin/xterm"_s << false;
        QTest::newRow("windows path") << u"C:\\Windows\\System32\\cmd.exe"_s << false;
        QTest::newRow("relative") << u"setup.exe"_s << false;
        QTest::newRow("host-like without scheme") << u"u.example/setup.exe"_s << false;
        QTest::newRow("no host") << u"http:///setup.exe"_s << false;
        QTest::newRow("other scheme") << u"ftp://u.example/setup.exe"_s << false;
        QTest::newRow("empty") << QString() << false;
    }
    void webAddresses()
    {
        QFETCH(QString, target);
        QFETCH(bool, isWebAddress);
        QCOMPARE(IsWebAddress(target), isWebAddress);
    }

    void updateTexts_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("statusLabel");
        QTest::addColumn<QString>("yes");
        QTest::addColumn<QString>("no");

        QTest::newRow("de") << u"de"_s
                            << u"Dieses Programm ist aktualisiert worden.\r\rEs wird empfohlen, es "
                               u"herunterzuladen und neu auszuführen, um es stabil zu "
                               u"verwenden.\r\rMöchten Sie es herunterladen?"_s
                            << u"Update möglich"_s << u"Ja"_s << u"Nein"_s;
        QTest::newRow("it") << u"it"_s
                            << u"È disponibile una nuova versione del programma.\r\rTi "
                               u"suggeriamo di scaricare ed aggiornare il programma.\r\rVuoi "
                               u"scaricare la nuova versione del programma?"_s
                            << u"Aggiornabile"_s << u"Sì"_s << u"No"_s;
        QTest::newRow("fr") << u"fr"_s
                            << u"Ce programme a été mis à jour.\r\rIl est recommandé de "
                               u"télécharger et d'exécuter la nouvelle version pour une "
                               u"utilisation stable.\r\rVoulez-vous le télécharger?"_s
                            << u"Maj dispo"_s << u"Oui"_s << u"Non"_s;
        QTest::newRow("pt takes English")
            << u"pt"_s << EnglishMessage << u"Update available"_s << u"Yes"_s << u"No"_s;
        QTest::newRow("ko") << u"ko"_s
                            << u"업데이트 정보가 있습니다.\r\r안정적으로 사용하기 위해 업데이트를 "
                               u"하시길 권장합니다.\r\r다운로드 받으시겠습니까?"_s
                            << u"업데이트 가능"_s << u"예"_s << u"아니오"_s;
        QTest::newRow("language compared case-sensitively")
            << u"DE"_s << EnglishMessage << u"Update available"_s << u"Yes"_s << u"No"_s;
    }
    void updateTexts()
    {
        QFETCH(QString, language);
        QFETCH(QString, message);
        QFETCH(QString, statusLabel);
        QFETCH(QString, yes);
        QFETCH(QString, no);
        SetCurrentLanguage(language);
        QCOMPARE(UpdateText(TUpdateTextKind::Message), message);
        QCOMPARE(UpdateText(TUpdateTextKind::StatusLabel), statusLabel);
        QCOMPARE(UpdateText(TUpdateTextKind::YesButton), yes);
        QCOMPARE(UpdateText(TUpdateTextKind::NoButton), no);
    }
};

QTEST_GUILESS_MAIN(TUpdateServiceTest)
#include "tst_updateservice.moc"
