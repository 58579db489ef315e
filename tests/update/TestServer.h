#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QPair>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>

#include <memory>

// What the test server does with one request.
struct TTestAnswer
{
    enum class TKind
    {
        Reply,     // status line, headers, body, then close
        HangUp,    // closes the connection without a word
        Truncated, // breaks off a reply in the middle of its body
        NeverReply // keeps the connection open and stays silent
    };

    TKind Kind = TKind::Reply;
    int Status = 200;
    QByteArray Body;

    static TTestAnswer Json(const QByteArray& body, int status = 200)
    {
        return {TKind::Reply, status, body};
    }
    static TTestAnswer HangUp() { return {TKind::HangUp, 0, {}}; }
    static TTestAnswer Truncated() { return {TKind::Truncated, 200, {}}; }
    static TTestAnswer NeverReply() { return {TKind::NeverReply, 0, {}}; }
};

struct TRecordedRequest
{
    QByteArray RequestLine;
    QList<QPair<QByteArray, QByteArray>> Headers;

    QByteArray Header(const QByteArray& name) const
    {
        for (const auto& [headerName, value] : Headers) {
            if (headerName.compare(name, Qt::CaseInsensitive) == 0)
                return value;
        }
        return {};
    }
    // The headers among `names`, in the order they were sent.
    QList<QByteArray> OrderOf(const QList<QByteArray>& names) const
    {
        QList<QByteArray> order;
        for (const auto& header : Headers) {
            if (names.contains(header.first))
                order.append(header.first);
        }
        return order;
    }
};

// A plain HTTP/1.1 server on 127.0.0.1 that records every request's headers in order and
// answers from a queue of answers, then with the fallback answer. Lives on the test's thread.
class TTestServer
{
public:
    TTestServer()
    {
        QObject::connect(&FServer, &QTcpServer::newConnection, &FServer, [this] { Accept(); });
        FServer.listen(QHostAddress::LocalHost);
    }

    QString Url() const
    {
        return QStringLiteral("http://127.0.0.1:%1/api.init.php").arg(FServer.serverPort());
    }

    void Queue(const TTestAnswer& answer) { FQueue.append(answer); }
    void SetFallback(const TTestAnswer& answer) { FFallback = answer; }
    const QList<TRecordedRequest>& Requests() const { return FRequests; }

private:
    void Accept()
    {
        while (QTcpSocket* socket = FServer.nextPendingConnection()) {
            auto buffer = std::make_shared<QByteArray>();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
                *buffer += socket->readAll();
                const qsizetype end = buffer->indexOf("\r\n\r\n");
                if (end < 0)
                    return;
                Record(buffer->left(end));
                buffer->remove(0, end + 4);
                Answer(socket, FQueue.isEmpty() ? FFallback : FQueue.takeFirst());
            });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    }

    void Record(const QByteArray& head)
    {
        const QList<QByteArray> lines = head.split('\n');
        TRecordedRequest request{lines.value(0).trimmed(), {}};
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0)
                request.Headers.append(
                    {lines[i].left(colon).trimmed(), lines[i].mid(colon + 1).trimmed()});
        }
        FRequests.append(request);
    }

    static void Answer(QTcpSocket* socket, const TTestAnswer& answer)
    {
        switch (answer.Kind) {
        case TTestAnswer::TKind::Reply:
            socket->write("HTTP/1.1 " + QByteArray::number(answer.Status) +
                          " Status\r\nContent-Type: text/plain; charset=iso-8859-1\r\n"
                          "Content-Length: " +
                          QByteArray::number(answer.Body.size()) + "\r\nConnection: close\r\n\r\n" +
                          answer.Body);
            socket->disconnectFromHost();
            break;
        case TTestAnswer::TKind::Truncated:
            socket->write("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n{\"update\":");
            socket->disconnectFromHost();
            break;
        case TTestAnswer::TKind::HangUp:
            socket->abort();
            socket->deleteLater();
            break;
        case TTestAnswer::TKind::NeverReply:
            break;
        }
    }

    QTcpServer FServer;
    QList<TTestAnswer> FQueue;
    TTestAnswer FFallback = TTestAnswer::Json("{}");
    QList<TRecordedRequest> FRequests;
};
