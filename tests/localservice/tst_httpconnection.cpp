// SPDX-License-Identifier: MIT
// The service's HTTP handling under hostile or unusual clients: limits, pipelining, HTTP/1.0,
// upgrade requests, idle connections and running out of descriptors.
#include "localservice/localserver.h"
#include "localservice/songaudio.h"
#include "tests/localservice/httpexchange.h"

#include <QFile>
#include <QProcess>
#include <QTest>

#include <sys/resource.h>
#include <unistd.h>

using namespace Qorvin::LocalService;
using namespace Qorvin::LocalService::Test;

namespace {

QByteArray headerFields(int count, int valueBytes = 10)
{
    QByteArray fields;
    for (int i = 0; i < count; ++i)
        fields += "X-Field-" + QByteArray::number(i) + ": " + QByteArray(valueBytes, 'v') + "\r\n";
    return fields;
}

int statusLines(const QByteArray& raw)
{
    return int(raw.count("HTTP/1.1 "));
}

// User and system CPU time of a process, in clock ticks.
qint64 cpuTicksOf(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    // Fields after the command name, which sits in parentheses and may hold blanks.
    const QList<QByteArray> fields = line.sliced(line.lastIndexOf(')') + 2).split(' ');
    return fields.value(11).toLongLong() + fields.value(12).toLongLong();
}

} // namespace

class TestHttpConnection : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void oversizedRequestsAreRefused_data();
    void oversizedRequestsAreRefused();
    void hundredFieldsAreStillServed();
    void pipelinedAnswersKeepTheirOrder();
    void http10GetsItsAnswerThenTheEnd();
    void upgradeRequestGetsOneAnswer();
    void pathEndingInANewlineIsNoFile_data();
    void pathEndingInANewlineIsNoFile();
    void idleConnectionsAreClosed();
    void outOfDescriptorsTheServiceStillAnswers_data();
    void outOfDescriptorsTheServiceStillAnswers();

private:
    LocalServer m_server;
};

void TestHttpConnection::initTestCase()
{
    QVERIFY(m_server.listen());
}

void TestHttpConnection::oversizedRequestsAreRefused_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("status");
    QTest::newRow("101 header fields") << getRequest("/", headerFields(101)) << 431;
    QTest::newRow("one field over 100 KiB") << getRequest("/", headerFields(1, 101 * 1024)) << 431;
    QTest::newRow("4 MB of fields") << getRequest("/", headerFields(99, 40 * 1024)) << 431;
    QTest::newRow("target over 256 KiB") << getRequest("/m?word=" + QByteArray(300 * 1024, 'a')) << 414;
    QTest::newRow("body over 1 MiB announced")
        << QByteArray("POST /m HTTP/1.1\r\nHost: x\r\nContent-Length: 2000000\r\n\r\n") << 413;
    QTest::newRow("chunked body over 1 MiB")
        << "POST /m HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n" + QByteArray("100000\r\n") +
               QByteArray(0x100000, 'b') + "\r\n" + "10\r\n" + QByteArray(16, 'b') + "\r\n0\r\n\r\n"
        << 413;
    QTest::newRow("garbage") << QByteArray("GARBAGE\r\n\r\n") << 400;
}

void TestHttpConnection::oversizedRequestsAreRefused()
{
    QFETCH(QByteArray, request);
    QFETCH(int, status);
    const HttpAnswer answer = exchangeUntilClosed(m_server.port(), request);
    QCOMPARE(answer.status(), status);
    QVERIFY(answer.closedByServer);
    QCOMPARE(answer.header("connection"), QByteArray("close"));
    QCOMPARE(exchange(m_server.port(), getRequest("/")).status(), 200);
}

void TestHttpConnection::hundredFieldsAreStillServed()
{
    const HttpAnswer answer = exchange(m_server.port(), getRequest("/", headerFields(99, 1000)));
    QCOMPARE(answer.status(), 200);
}

void TestHttpConnection::pipelinedAnswersKeepTheirOrder()
{
    // Pages come late, a file at once: the file's answer still waits for the page before it, and
    // the last request's "Connection: close" loses none of them.
    LocalServer slow(ServerOptions{.delayMs = 200});
    QVERIFY(slow.listen());
    const HttpAnswer all = exchangeUntilClosed(
        slow.port(), getRequest("/list/dj.html") + getRequest("/a/7.mp3", "Range: bytes=0-9\r\n") +
                         getRequest("/", "Connection: close\r\n"));
    QVERIFY(all.closedByServer);
    const QList<HttpAnswer> answers = splitAnswers(all.raw);
    QCOMPARE(answers.size(), 3);
    QCOMPARE(answers[0].status(), 200);
    QVERIFY(answers[0].body().contains("<html"));
    QCOMPARE(answers[1].status(), 206);
    QCOMPARE(answers[1].body(), SongAudio::fileBytes(7).first(10));
    QCOMPARE(answers[2].status(), 200);
    QCOMPARE(answers[2].header("connection"), QByteArray("close"));
    QVERIFY(answers[2].complete());
}

void TestHttpConnection::http10GetsItsAnswerThenTheEnd()
{
    const HttpAnswer answer = exchangeUntilClosed(m_server.port(), "GET /list/dj.html HTTP/1.0\r\n\r\n");
    QVERIFY(answer.closedByServer);
    QCOMPARE(answer.status(), 200);
    QCOMPARE(answer.header("connection"), QByteArray("close"));
    QVERIFY(answer.complete());
}

void TestHttpConnection::upgradeRequestGetsOneAnswer()
{
    const HttpAnswer answer = exchangeUntilClosed(
        m_server.port(),
        getRequest("/", "Upgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Version: 13\r\n"
                        "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"));
    QVERIFY(answer.closedByServer);
    QCOMPARE(statusLines(answer.raw), 1);
    QCOMPARE(answer.status(), 200);
}

void TestHttpConnection::pathEndingInANewlineIsNoFile_data()
{
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<int>("status");
    QTest::newRow("file") << QByteArray("/x/5.mp3") << 206;
    QTest::newRow("newline after it") << QByteArray("/x/5.mp3%0A") << 404;
    QTest::newRow("carriage return after it") << QByteArray("/x/5.mp3%0D") << 404;
    QTest::newRow("nul after it") << QByteArray("/x/5.mp3%00") << 404;
    QTest::newRow("newline inside") << QByteArray("/x/5%0A.mp3") << 404;
}

void TestHttpConnection::pathEndingInANewlineIsNoFile()
{
    QFETCH(QByteArray, target);
    QFETCH(int, status);
    QCOMPARE(exchange(m_server.port(), getRequest(target, "Range: bytes=0-9\r\n")).status(), status);
}

void TestHttpConnection::idleConnectionsAreClosed()
{
    LocalServer server(ServerOptions{.idleTimeoutMs = 200});
    QVERIFY(server.listen());
    // Not a timing test: a silent client is let go in the end, one that asked was answered first.
    QVERIFY(exchangeUntilClosed(server.port(), {}, 5000).closedByServer);
    const HttpAnswer answered = exchangeUntilClosed(server.port(), getRequest("/"), 5000);
    QVERIFY(answered.closedByServer);
    QVERIFY(answered.complete());
}

void TestHttpConnection::outOfDescriptorsTheServiceStillAnswers_data()
{
    QTest::addColumn<QByteArray>("held"); // what each of the clients holding a connection sent
    QTest::newRow("idle clients") << QByteArray();
    // Room is made from these too, and not from each newcomer (before their 10 s deadline).
    QTest::newRow("clients stuck in a request") << QByteArray("GET / HTTP/1.1\r\nHo");
}

void TestHttpConnection::outOfDescriptorsTheServiceStillAnswers()
{
    QFETCH(QByteArray, held);
#ifdef __SANITIZE_ADDRESS__
    QSKIP("the sanitizers' own checks open descriptors, and this test takes them all away");
#endif
    // The service as a program with 32 descriptors, and 40 clients holding connections open.
    QProcess service;
    service.setProgram(QStringLiteral(QORVIN_SERVICE_PROGRAM));
    service.setArguments({QStringLiteral("--port"), QStringLiteral("0")});
    service.setChildProcessModifier([] {
        const rlimit limit{32, 32};
        setrlimit(RLIMIT_NOFILE, &limit);
    });
    service.start();
    QVERIFY(service.waitForReadyRead(20000));
    const quint16 port = service.readLine().trimmed().toUShort();
    QVERIFY(port != 0);

    QList<QTcpSocket*> idle;
    for (int i = 0; i < 40; ++i) {
        auto* client = new QTcpSocket(this);
        client->connectToHost(QHostAddress::LocalHost, port);
        if (!held.isEmpty())
            client->write(held);
        idle.append(client);
    }
    QTest::qWait(500);
    const qint64 ticksBefore = cpuTicksOf(service.processId());
    const HttpAnswer answer = exchange(port, getRequest("/list/dj.html"), 5000);
    QCOMPARE(answer.status(), 200);
    QVERIFY(answer.complete());
    // Waiting a second with descriptors short costs the service next to no processor time.
    QTest::qWait(1000);
    const qint64 ticks = cpuTicksOf(service.processId()) - ticksBefore;
    const long ticksPerSecond = sysconf(_SC_CLK_TCK);
    QVERIFY2(ticks < ticksPerSecond / 2, qPrintable(QStringLiteral("%1 ticks").arg(ticks)));
    qDeleteAll(idle);
    service.kill();
    service.waitForFinished(5000);
}

QTEST_GUILESS_MAIN(TestHttpConnection)
#include "tst_httpconnection.moc"
