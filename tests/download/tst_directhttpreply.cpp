// SPDX-License-Identifier: MIT
// The songs' own HTTP reply against a server that answers by path with canned bytes: the framings
// a server may choose, a cut answer, redirects, error statuses and the way through a proxy.
#include "download/directhttpreply.h"

#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

using namespace Qorvin;
using namespace Qt::StringLiterals;

namespace {

// Answers each request with the bytes its path names, then closes; keeps the request heads.
class CannedServer : public QTcpServer
{
public:
    CannedServer()
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    const QByteArray head = socket->readAll();
                    heads.append(head);
                    const QByteArray target = head.split(' ').value(1);
                    socket->write(answers.value(target.mid(target.indexOf("/x/"))));
                    socket->disconnectFromHost();
                });
            }
        });
    }
    QByteArray base() const { return "http://127.0.0.1:" + QByteArray::number(serverPort()); }

    QHash<QByteArray, QByteArray> answers; // by path, from "/x/" on
    QByteArrayList heads;
};

} // namespace

class TestDirectHttpReply : public QObject
{
    Q_OBJECT

private slots:
    void answers_data();
    void answers();
};

void TestDirectHttpReply::answers_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<bool>("viaProxy");
    QTest::addColumn<int>("error");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");

    const int none = QNetworkReply::NoError;
    QTest::newRow("length") << "/x/len"_ba << false << none << 200 << "hello"_ba;
    QTest::newRow("chunked") << "/x/chunked"_ba << false << none << 200 << "hello world"_ba;
    QTest::newRow("until the close") << "/x/close"_ba << false << none << 200 << "all of it"_ba;
    QTest::newRow("cut short") << "/x/cut"_ba << false << int(QNetworkReply::RemoteHostClosedError) << 200
                               << "half"_ba;
    QTest::newRow("redirect keeps the range") << "/x/moved"_ba << false << none << 206 << "llo"_ba;
    QTest::newRow("not found") << "/x/missing"_ba << false << int(QNetworkReply::ContentNotFoundError) << 404
                               << "gone"_ba;
    QTest::newRow("through a proxy") << "/x/len"_ba << true << none << 200 << "hello"_ba;
}

void TestDirectHttpReply::answers()
{
    QFETCH(QByteArray, path);
    QFETCH(bool, viaProxy);
    QFETCH(int, error);
    QFETCH(int, status);
    QFETCH(QByteArray, body);

    CannedServer server;
    server.answers = {
        {"/x/len", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello"},
        {"/x/chunked",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n6\r\n world\r\n0\r\n\r\n"},
        {"/x/close", "HTTP/1.1 200 OK\r\n\r\nall of it"},
        {"/x/cut", "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nhalf"},
        {"/x/moved", "HTTP/1.1 302 Found\r\nLocation: /x/ranged\r\nContent-Length: 3\r\n\r\nabc"},
        {"/x/ranged",
         "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 2-4/5\r\nContent-Length: 3\r\n\r\nllo"},
        {"/x/missing", "HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\ngone"},
    };
    QNetworkAccessManager network;
    // Through a proxy the server itself stands in for it, for a host that does not exist.
    network.setProxy(viaProxy ? QNetworkProxy(QNetworkProxy::HttpProxy, u"127.0.0.1"_s, server.serverPort())
                              : QNetworkProxy(QNetworkProxy::NoProxy));
    const QByteArray origin = viaProxy ? "http://songs.invalid" : server.base();
    QNetworkRequest request(QUrl::fromEncoded(origin + path));
    request.setRawHeader("Range", "bytes=2-");
    request.setMaximumRedirectsAllowed(5);
    std::unique_ptr<QNetworkReply> reply(getSong(&network, request, nullptr));
    QByteArray received;
    connect(reply.get(), &QNetworkReply::readyRead, this, [&] { received += reply->readAll(); });
    QSignalSpy finished(reply.get(), &QNetworkReply::finished);
    QVERIFY(finished.wait(5000));
    received += reply->readAll();

    QCOMPARE(int(reply->error()), error);
    QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), status);
    QCOMPARE(received, body);
    for (const QByteArray& head : std::as_const(server.heads))
        QVERIFY2(head.contains("\r\nRange: bytes=2-\r\n"), head.constData());
    if (viaProxy)
        QVERIFY(server.heads.value(0).startsWith(
            "GET http://songs.invalid/x/len HTTP/1.1\r\nHost: songs.invalid\r\n"));
}

QTEST_GUILESS_MAIN(TestDirectHttpReply)
#include "tst_directhttpreply.moc"
