// SPDX-License-Identifier: MIT
// Clients that would make the service hold memory, connections or the event loop: answers never
// read, requests that trickle in, half-closed connections, one client's long pipeline, a crowd
// connecting at once, and rates past 32 bits.
#include "localservice/localserver.h"
#include "localservice/songaudio.h"
#include "tests/localservice/httpexchange.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <functional>
#include <memory>
#include <vector>

#include <sys/socket.h>

using namespace Qorvin::LocalService;
using namespace Qorvin::LocalService::Test;

namespace {

qint64 residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.sliced(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

const QByteArray SearchTarget = "/m?tn=baidump3&ct=134217728&word=%CB%D5%E9%F8&pn=0";

std::unique_ptr<QTcpSocket> connectedClient(quint16 port)
{
    auto client = std::make_unique<QTcpSocket>();
    client->connectToHost(QHostAddress::LocalHost, port);
    client->waitForConnected(5000);
    return client;
}

// What the server sends until it closes the connection or waitMs pass; `meanwhile` runs at every
// turn of the event loop.
QByteArray readUntilClosed(QTcpSocket& client, int waitMs, const std::function<void()>& meanwhile = {})
{
    QByteArray raw;
    QDeadlineTimer deadline(waitMs);
    while (client.state() == QAbstractSocket::ConnectedState && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (meanwhile)
            meanwhile();
        raw += client.readAll();
    }
    return raw + client.readAll();
}

} // namespace

class TestConnectionFaults : public QObject
{
    Q_OBJECT

private slots:
    void unreadAnswersStopTheReading();
    void requestsThatNeverEndAreClosed_data();
    void requestsThatNeverEndAreClosed();
    void halfClosedClientGetsEveryAnswer_data();
    void halfClosedClientGetsEveryAnswer();
    void longPipelineLetsOthersIn();
    void crowdConnectingAtOnceIsQueued();
    void rateKbps_data();
    void rateKbps();
};

void TestConnectionFaults::unreadAnswersStopTheReading()
{
    LocalServer server;
    QVERIFY(server.listen());
    const auto greedy = connectedClient(server.port());
    greedy->setReadBufferSize(1); // reads nothing, so the kernel's buffers fill up
    QByteArray requests;
    for (int i = 0; i < 20000; ++i)
        requests += getRequest(SearchTarget);
    [[maybe_unused]] const qint64 before = residentKb();
    greedy->write(requests);
    QDeadlineTimer deadline(3000);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    // Without a mark the 20,000 pages (some 300 MB) would all be made and queued.
    QVERIFY2(server.pageCount() < 2000, qPrintable(QString::number(server.pageCount())));
#ifndef __SANITIZE_ADDRESS__ // the sanitizer keeps freed memory aside: only a plain build tells
    QVERIFY2(residentKb() - before < 64 * 1024, qPrintable(QString::number(residentKb() - before)));
#endif
    QVERIFY(server.pageCount() > 0);
}

void TestConnectionFaults::requestsThatNeverEndAreClosed_data()
{
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<bool>("trickle"); // then a byte every 50 ms
    QTest::newRow("one letter") << QByteArray("G") << false;
    QTest::newRow("a field at a byte at a time")
        << QByteArray("GET / HTTP/1.1\r\nHost: x\r\nX-Slow: ") << true;
    QTest::newRow("a body that never comes")
        << QByteArray("POST /m HTTP/1.1\r\nHost: x\r\nContent-Length: 100\r\n\r\nab") << false;
}

void TestConnectionFaults::requestsThatNeverEndAreClosed()
{
    QFETCH(QByteArray, start);
    QFETCH(bool, trickle);
    ServerOptions options;
    options.headTimeoutMs = 400;
    options.bodyTimeoutMs = 400;
    LocalServer server(options);
    QVERIFY(server.listen());
    const auto client = connectedClient(server.port());
    client->write(start);
    QElapsedTimer clock;
    clock.start();
    const QByteArray answer = readUntilClosed(*client, 5000, [&] {
        if (trickle)
            client->write("v");
    });
    QVERIFY2(clock.elapsed() < 3000, "the deadline of the request closes the connection");
    QVERIFY2(answer.startsWith("HTTP/1.1 408"), answer.constData());
}

void TestConnectionFaults::halfClosedClientGetsEveryAnswer_data()
{
    QTest::addColumn<QByteArray>("requests");
    QTest::addColumn<int>("answers");
    QTest::addColumn<int>("delayMs");
    QTest::newRow("pages then a file going out slowly")
        << getRequest("/") + getRequest("/list/dj.html") + getRequest("/a/3.mp3", "Range: bytes=0-199999\r\n")
        << 3 << 300; // the pages are still owed when the client's end arrives
    QTest::newRow("a search page answered at once") << getRequest("/m?tn=baidump3&word=a&pn=0") << 1 << 0;
}

void TestConnectionFaults::halfClosedClientGetsEveryAnswer()
{
    QFETCH(QByteArray, requests);
    QFETCH(int, answers);
    QFETCH(int, delayMs);
    ServerOptions options;
    options.delayMs = delayMs;
    options.rateKbps = 800; // the file takes two seconds
    LocalServer server(options);
    QVERIFY(server.listen());
    const auto client = connectedClient(server.port());
    client->write(requests);
    QVERIFY(client->waitForBytesWritten(5000));
    ::shutdown(int(client->socketDescriptor()), SHUT_WR);
    const QList<HttpAnswer> got = splitAnswers(readUntilClosed(*client, 10000));
    QCOMPARE(got.size(), answers);
    for (const HttpAnswer& answer : got)
        QVERIFY(answer.complete());
    if (answers == 3)
        QCOMPARE(got[2].body(), SongAudio::fileBytes(3).first(200000));
}

void TestConnectionFaults::longPipelineLetsOthersIn()
{
    LocalServer server;
    QVERIFY(server.listen());
    const auto busy = connectedClient(server.port());
    QByteArray pipeline;
    for (int i = 0; i < 2000; ++i)
        pipeline += getRequest("/m?tn=baidump3&word=" + QByteArray::number(i) + "&pn=0");
    busy->write(pipeline);
    QVERIFY(busy->waitForBytesWritten(5000));
    const auto other = connectedClient(server.port());
    other->write(getRequest("/"));
    HttpAnswer otherAnswer;
    QByteArray busyAnswers;
    QDeadlineTimer deadline(20000);
    while (!otherAnswer.complete() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        busyAnswers += busy->readAll();
        otherAnswer.raw += other->readAll();
    }
    QVERIFY(otherAnswer.complete());
    // The other client was let in long before the pipeline was through.
    const qsizetype busyServed = busyAnswers.count("HTTP/1.1 200");
    QVERIFY2(busyServed < 1000, qPrintable(QString::number(busyServed)));
}

void TestConnectionFaults::crowdConnectingAtOnceIsQueued()
{
    LocalServer server;
    QVERIFY(server.listen());
    // The event loop does not turn: every client waits in the listening socket's queue.
    std::vector<std::unique_ptr<QTcpSocket>> crowd;
    for (int i = 0; i < 300; ++i) {
        crowd.push_back(std::make_unique<QTcpSocket>());
        crowd.back()->connectToHost(QHostAddress::LocalHost, server.port());
    }
    int connected = 0;
    for (const auto& client : crowd)
        connected += client->waitForConnected(300) ? 1 : 0;
    QCOMPARE(connected, 300);
    crowd.clear();
    QCOMPARE(exchange(server.port(), getRequest("/")).status(), 200);
}

void TestConnectionFaults::rateKbps_data()
{
    QTest::addColumn<QString>("rate");
    QTest::addColumn<int>("exitCode"); // of the program; -1: it serves
    QTest::newRow("above 32 bits of bytes a second") << QStringLiteral("20000000") << -1;
    QTest::newRow("the largest") << QStringLiteral("100000000") << -1;
    QTest::newRow("out of range") << QStringLiteral("100000001") << 2;
    QTest::newRow("far out of range") << QStringLiteral("99999999999999999999") << 2;
}

void TestConnectionFaults::rateKbps()
{
    QFETCH(QString, rate);
    QFETCH(int, exitCode);
    QProcess service;
    service.start(QStringLiteral(QORVIN_SERVICE_PROGRAM),
                  {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--rate-kbps"), rate});
    if (exitCode >= 0) {
        QVERIFY(service.waitForFinished(20000));
        QCOMPARE(service.exitCode(), exitCode);
        return;
    }
    QVERIFY(service.waitForReadyRead(20000));
    const quint16 port = service.readLine().trimmed().toUShort();
    QElapsedTimer clock;
    clock.start();
    const HttpAnswer answer = exchange(port, getRequest("/a/5.mp3", "Range: bytes=0-999999\r\n"), 10000);
    QCOMPARE(answer.body().size(), 1000000);
    QVERIFY(clock.elapsed() < 3000);
    service.kill();
    service.waitForFinished(5000);
}

QTEST_GUILESS_MAIN(TestConnectionFaults)
#include "tst_connectionfaults.moc"
