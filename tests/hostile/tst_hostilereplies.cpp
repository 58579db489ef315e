#include "TestHome.h"
#include "TestServer.h"
#include "i18n/Translate.h"
#include "notice/UpdateCheck.h"
#include "notice/UpdateStatus.h"
#include "update/ServiceThreads.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <optional>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

const QByteArray Notice = "\"notify\":\"https://n.example/notice\"}";

// A reply of exactly `size` bytes that ends with the notice.
QByteArray EndingWithNotice(qsizetype size)
{
    const QByteArray start = "{\"padding\":\"";
    const QByteArray end = "\"," + Notice;
    return start + QByteArray(size - start.size() - end.size(), 'p') + end;
}

// Stands for the address of the second server in a redirect's Location, known only once it runs.
const QByteArray TargetPlaceholder = "%target";

QByteArray RandomBytes(qsizetype size)
{
    QRandomGenerator generator(20261209);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& byte : bytes)
        byte = char(generator.bounded(256));
    return bytes;
}

bool IsAnyMessageBoxShown()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.begin(), windows.end(), [](const QWidget* window) {
        return window->isVisible() && qobject_cast<const QMessageBox*>(window);
    });
}

// An HTTP server on 127.0.0.1 that announces a long body and then sends one byte of it every few
// milliseconds, for ever.
class TTricklingServer
{
public:
    TTricklingServer()
    {
        QObject::connect(&FServer, &QTcpServer::newConnection, &FServer, [this] {
            while (QTcpSocket* socket = FServer.nextPendingConnection()) {
                socket->write("HTTP/1.1 200 OK\r\nContent-Length: 100000000\r\n\r\n{\"notify\":\"");
                FSockets.append(socket);
            }
        });
        QObject::connect(&FTrickle, &QTimer::timeout, &FServer, [this] {
            for (QTcpSocket* socket : std::as_const(FSockets)) {
                if (socket->state() == QAbstractSocket::ConnectedState && socket->write("x") == 1)
                    ++FBytesSent;
            }
        });
        FServer.listen(QHostAddress::LocalHost);
        FTrickle.start(5);
    }

    QString Url() const { return u"http://127.0.0.1:%1/api.init.php"_s.arg(FServer.serverPort()); }
    int BytesSent() const { return FBytesSent; }

private:
    QTcpServer FServer;
    QTimer FTrickle;
    QList<QTcpSocket*> FSockets;
    int FBytesSent = 0;
};

} // namespace

// Replies of the update service that no service should send, from a server on 127.0.0.1: the
// window shows nothing it should not, stays responsive and can always end the check.
class THostileRepliesTest : public QObject
{
    Q_OBJECT

private:
    std::optional<TTestHome> FHome;

private Q_SLOTS:
    void initTestCase() { LoadTranslations(); }

    void init()
    {
        SetCurrentLanguage(u"en"_s);
        FHome.emplace();
    }

    void cleanup()
    {
        QVERIFY(StopServiceThreads(5s));
        FHome.reset();
    }

    void replyFromTheServer_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("isNoticeShown");

        QCOMPARE(EndingWithNotice(MaxReplySize).size(), MaxReplySize);
        QTest::newRow("random bytes") << RandomBytes(64 * 1024) << false;
        QTest::newRow("exactly 1 MiB, notice at the end") << EndingWithNotice(MaxReplySize) << true;
        QTest::newRow("one byte over 1 MiB") << EndingWithNotice(MaxReplySize + 1) << false;
    }
    void replyFromTheServer()
    {
        QFETCH(QByteArray, body);
        QFETCH(bool, isNoticeShown);
        TTestServer server;
        server.SetFallback(TTestAnswer::Json(body));
        QWidget window;
        std::optional<QString> handedReply;
        CheckUpdate(
            server.Url(), [&](bool, const QString& reply) { handedReply = reply; }, 0, &window,
            0ms);
        QTRY_VERIFY_WITH_TIMEOUT(handedReply.has_value(), 60000);
        QCOMPARE(window.findChild<TUpdateStatusBar*>() != nullptr, isNoticeShown);
        QVERIFY(!IsAnyMessageBoxShown());
        QCOMPARE(handedReply->isEmpty(), body.size() > MaxReplySize);
    }

    // Qt attaches an error to many statuses (400 and 418 as protocol errors, 407 as a proxy
    // error, a 301 without Location as an unknown protocol); each is still the service's reply.
    void everyStatusIsAReply_data()
    {
        QTest::addColumn<TTestAnswer>("answer");
        QTest::addColumn<QString>("notice");
        QTest::addColumn<int>("targetAsked");

        const QByteArray body = "{" + Notice;
        const QString notice = u"https://n.example/notice"_s;
        for (const int status : {200, 400, 404, 418, 429, 500, 503})
            QTest::addRow("%d", status) << TTestAnswer::Json(body, status) << notice << 0;
        QTest::newRow("301 without Location") << TTestAnswer::Json(body, 301) << notice << 0;
        QTest::newRow("302 to a valid address")
            << TTestAnswer::Json(body, 302, {{"Location", TargetPlaceholder}})
            << u"https://n.example/moved"_s << 1;
        QTest::newRow("401 with a challenge")
            << TTestAnswer::Json(body, 401, {{"WWW-Authenticate", "Basic realm=\"update\""}})
            << notice << 0;
        QTest::newRow("407 with a challenge")
            << TTestAnswer::Json(body, 407, {{"Proxy-Authenticate", "Basic realm=\"proxy\""}})
            << notice << 0;
    }
    void everyStatusIsAReply()
    {
        QFETCH(TTestAnswer, answer);
        QFETCH(QString, notice);
        QFETCH(int, targetAsked);
        TTestServer target;
        target.SetFallback(TTestAnswer::Json("{\"notify\":\"https://n.example/moved\"}"));
        for (auto& header : answer.Headers)
            header.second.replace(TargetPlaceholder, target.Url().toUtf8());
        TTestServer server;
        server.SetFallback(answer);
        QWidget window;
        bool isCalledBack = false;
        CheckUpdate(
            server.Url(), [&](bool, const QString&) { isCalledBack = true; }, 0, &window, 0ms);
        QTRY_VERIFY(isCalledBack);
        QCOMPARE(server.Requests().size(), 1);
        QCOMPARE(target.Requests().size(), targetAsked);
        const auto* bar = window.findChild<TUpdateStatusBar*>();
        QVERIFY(bar);
        QCOMPARE(bar->toolTip(), notice);
        QVERIFY(!IsAnyMessageBoxShown());
    }

    void escapeAtTheVeryEnd_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::newRow("lone backslash") << u"{\"notify\":\"https://n.example/\\"_s;
        QTest::newRow("escaped quote") << u"{\"notify\":\"https://n.example/\\\""_s;
        QTest::newRow("unicode escape cut short") << u"{\"notify\":\"https://n.example/\\u00"_s;
        QTest::newRow("unicode escape complete") << u"{\"notify\":\"https://n.example/\\u0041"_s;
        QTest::newRow("update key cut short") << u"{\"update\":\""_s;
    }
    void escapeAtTheVeryEnd()
    {
        QFETCH(QString, reply);
        QWidget window;
        const std::optional<bool> updateTaken = HandleUpdateReply(reply, &window);
        QVERIFY(updateTaken != std::optional<bool>(true));
        QVERIFY(!window.findChild<TUpdateStatusBar*>());
        QVERIFY(!IsAnyMessageBoxShown());
    }

    void serverThatNeverFinishes()
    {
        TTricklingServer server;
        QWidget window;
        bool isCalledBack = false;
        CheckUpdate(
            server.Url(), [&](bool, const QString&) { isCalledBack = true; }, 0, &window, 0ms);
        // The window keeps serving events while the reply trickles in.
        QTRY_VERIFY_WITH_TIMEOUT(server.BytesSent() >= 100, 30000);
        QElapsedTimer elapsed;
        elapsed.start();
        QVERIFY(StopServiceThreads(5s));
        QCOMPARE_LT(elapsed.elapsed(), 5000);
        QCoreApplication::processEvents();
        QVERIFY(!isCalledBack);
        QVERIFY(!window.findChild<TUpdateStatusBar*>());
    }
};

QTEST_MAIN(THostileRepliesTest)
#include "tst_hostilereplies.moc"
