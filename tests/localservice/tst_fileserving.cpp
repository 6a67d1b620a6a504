// SPDX-License-Identifier: MIT
#include "localservice/localserver.h"
#include "localservice/songaudio.h"
#include "tests/localservice/httpexchange.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTest>

#include <limits>

using namespace Qorvin::LocalService;
using namespace Qorvin::LocalService::Test;

Q_DECLARE_METATYPE(Qorvin::LocalService::ServerOptions)

namespace {

constexpr SongId TheSong = 1448;
constexpr qint64 NoBody = std::numeric_limits<qint64>::min();
const QByteArray SongPath = "http://music.localservice.example/mirror2/1448.mp3";

QByteArray songPath(SongId id)
{
    return "/mirror1/" + QByteArray::number(id) + ".mp3";
}

QByteArray headRequest(const QByteArray& target)
{
    return "HEAD " + target + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";
}

} // namespace

class TestFileServing : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void rangesAndValidators_data();
    void rangesAndValidators();
    void faultOptions_data();
    void faultOptions();
    void dropAfterBytesCutsTheFirstAnswerOfEachFile();
    void rateLimitHoldsTheBodyBack();
    void statsCountFilesBytesAndConcurrency();
    void statsOverHttp();
    void qtNetworkClientCanTellACutAnswer();

private:
    LocalServer m_server;
    QByteArray m_file;
};

void TestFileServing::initTestCase()
{
    QVERIFY(m_server.listen());
    m_file = SongAudio::fileBytes(TheSong);
    QVERIFY(m_file.size() >= SongAudio::MinFileBytes);
}

void TestFileServing::rangesAndValidators_data()
{
    // "{etag}" and "{date}" stand for the song's own validators; "{size}" for its length.
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<QByteArray>("headers");
    QTest::addColumn<int>("status");
    // The body is bytes first..last of the file, negative ones counted from the end (-1 is the
    // last byte); no body when first is NoBody.
    QTest::addColumn<qint64>("first");
    QTest::addColumn<qint64>("last");
    QTest::addColumn<QByteArray>("contentRange");

    const auto row = [](const char* name, const char* method, const char* headers, int status, qint64 first,
                        qint64 last, const char* contentRange) {
        QTest::newRow(name) << QByteArray(method) << QByteArray(headers) << status << first << last
                            << QByteArray(contentRange);
    };
    const char* fromOffset = "bytes 100-{last}/{size}";
    row("whole", "GET", "", 200, 0, -1, "");
    row("from an offset", "GET", "Range: bytes=100-\r\n", 206, 100, -1, fromOffset);
    row("unit in capitals", "GET", "Range: BYTES=0-99\r\n", 206, 0, 99, "bytes 0-99/{size}");
    row("the last bytes", "GET", "Range: bytes=-500\r\n", 206, -500, -1, "bytes {size-500}-{last}/{size}");
    row("past the end", "GET", "Range: bytes=99999999-\r\n", 416, NoBody, -1, "bytes */{size}");
    row("if-range with the etag", "GET", "Range: bytes=100-\r\nIf-Range: {etag}\r\n", 206, 100, -1,
        fromOffset);
    row("if-range with the date", "GET", "Range: bytes=100-\r\nIf-Range: {date}\r\n", 206, 100, -1,
        fromOffset);
    row("if-range with another etag: all of it", "GET", "Range: bytes=100-\r\nIf-Range: \"other\"\r\n", 200,
        0, -1, "");
    row("if-range with another date: all of it", "GET",
        "Range: bytes=100-\r\nIf-Range: Sat, 01 Jan 2000 00:00:00 GMT\r\n", 200, 0, -1, "");
    row("head", "HEAD", "", 200, NoBody, -1, "");
    row("head of a range", "HEAD", "Range: bytes=0-9\r\n", 206, NoBody, -1, "bytes 0-9/{size}");
}

void TestFileServing::rangesAndValidators()
{
    QFETCH(QByteArray, method);
    QFETCH(QByteArray, headers);
    QFETCH(int, status);
    QFETCH(qint64, first);
    QFETCH(qint64, last);
    QFETCH(QByteArray, contentRange);
    const SongFile file = SongAudio::fileOf(TheSong);
    const qint64 size = file.size();
    headers.replace("{etag}", file.etag()).replace("{date}", file.lastModified());
    contentRange.replace("{size-500}", QByteArray::number(size - 500))
        .replace("{last}", QByteArray::number(size - 1))
        .replace("{size}", QByteArray::number(size));

    const HttpAnswer answer = exchange(
        m_server.port(), method + ' ' + SongPath +
                             " HTTP/1.1\r\nHost: music.localservice.example\r\nConnection: close\r\n" +
                             headers + "\r\n");
    QCOMPARE(answer.status(), status);
    QCOMPARE(answer.header("etag"), file.etag());
    QCOMPARE(answer.header("last-modified"), file.lastModified());
    QCOMPARE(answer.header("content-range"), contentRange);
    if (first == NoBody) {
        QVERIFY(answer.body().isEmpty());
        return;
    }
    first = first < 0 ? first + size : first;
    last = last < 0 ? last + size : last;
    QCOMPARE(answer.header("content-type"), QByteArray("audio/mpeg"));
    QCOMPARE(answer.header("content-length").toLongLong(), last - first + 1);
    QVERIFY(answer.body() == m_file.sliced(first, last - first + 1));
}

void TestFileServing::faultOptions_data()
{
    QTest::addColumn<ServerOptions>("options");
    QTest::addColumn<QByteArrayList>("requests"); // targets, each with "|" and extra header lines maybe
    QTest::addColumn<QList<int>>("statuses");
    QTest::addColumn<QByteArrayList>("types");

    const QByteArray mp3 = "audio/mpeg";
    const QByteArray html = "text/html; charset=gb2312";
    QTest::newRow("missing songs") << ServerOptions{.missingSongs = {5, 7}}
                                   << QByteArrayList{songPath(5), songPath(6), songPath(7)}
                                   << QList<int>{404, 200, 404} << QByteArrayList{html, mp3, html};
    QTest::newRow("broken song") << ServerOptions{.brokenSongs = {6}}
                                 << QByteArrayList{songPath(5), songPath(6)} << QList<int>{200, 500}
                                 << QByteArrayList{mp3, html};
    QTest::newRow("range ignored") << ServerOptions{.ignoreRange = true}
                                   << QByteArrayList{songPath(5) + "|Range: bytes=100-199\r\n"}
                                   << QList<int>{200} << QByteArrayList{mp3};
    QTest::newRow("every second file a page")
        << ServerOptions{.notMp3Every = 2}
        << QByteArrayList{songPath(1), songPath(2), songPath(3), songPath(4)}
        << QList<int>{200, 200, 200, 200} << QByteArrayList{mp3, html, mp3, html};
    QTest::newRow("file faults leave pages alone")
        << ServerOptions{.notMp3Every = 1, .missingSongs = {1}} << QByteArrayList{"/", "/list/dj.html"}
        << QList<int>{200, 200} << QByteArrayList{html, html};
}

void TestFileServing::faultOptions()
{
    QFETCH(ServerOptions, options);
    QFETCH(QByteArrayList, requests);
    QFETCH(QList<int>, statuses);
    QFETCH(QByteArrayList, types);
    LocalServer server(options);
    QVERIFY(server.listen());
    for (qsizetype i = 0; i < requests.size(); ++i) {
        const QByteArrayList parts = requests[i].split('|');
        const HttpAnswer answer = exchange(server.port(), getRequest(parts[0], parts.value(1)));
        QCOMPARE(answer.status(), statuses[i]);
        QCOMPARE(answer.header("content-type"), types[i]);
        QVERIFY(answer.complete());
        if (types[i] == "audio/mpeg")
            QVERIFY(answer.body() ==
                    SongAudio::fileBytes(parts[0].split('/').last().split('.').first().toLongLong()));
    }
}

void TestFileServing::dropAfterBytesCutsTheFirstAnswerOfEachFile()
{
    LocalServer server(ServerOptions{.dropAfterBytes = 100000});
    QVERIFY(server.listen());
    const HttpAnswer cut = exchange(server.port(), getRequest(SongPath));
    QVERIFY(cut.closedByServer);
    QCOMPARE(cut.status(), 200);
    QCOMPARE(cut.header("content-length").toLongLong(), m_file.size());
    QCOMPARE(cut.body().size(), 100000);
    QVERIFY(m_file.startsWith(cut.body()));

    // The resumed request goes through, and so does any later one.
    const HttpAnswer rest = exchange(server.port(), getRequest(SongPath, "Range: bytes=100000-\r\n"));
    QCOMPARE(rest.status(), 206);
    QVERIFY(rest.body() == m_file.sliced(100000));
    QVERIFY(exchange(server.port(), getRequest(SongPath)).body() == m_file);

    // Another file is cut once too; HEAD and short ranges are never cut.
    QCOMPARE(exchange(server.port(), headRequest("/a/9.mp3")).status(), 200);
    QVERIFY(exchange(server.port(), getRequest("/a/9.mp3", "Range: bytes=0-999\r\n")).complete());
    QCOMPARE(exchange(server.port(), getRequest("/a/9.mp3")).body().size(), 100000);
}

void TestFileServing::rateLimitHoldsTheBodyBack()
{
    // 80 kbit/s is 10,000 bytes a second: in 500 ms a small part came, never the file.
    LocalServer slow(ServerOptions{.rateKbps = 80});
    QVERIFY(slow.listen());
    const HttpAnswer part = exchange(slow.port(), getRequest(SongPath), 500);
    QCOMPARE(part.status(), 200);
    QVERIFY(!part.complete());
    QVERIFY2(part.body().size() > 0 && part.body().size() < 100000,
             qPrintable(QString::number(part.body().size())));
    QVERIFY(m_file.startsWith(part.body()));
}

void TestFileServing::statsCountFilesBytesAndConcurrency()
{
    LocalServer server(ServerOptions{.rateKbps = 80});
    QVERIFY(server.listen());
    // Three downloads at once, held open by the rate limit.
    QList<QTcpSocket*> clients;
    for (int i = 0; i < 3; ++i) {
        auto* client = new QTcpSocket(this);
        client->connectToHost(QHostAddress::LocalHost, server.port());
        QVERIFY(client->waitForConnected(2000));
        client->write(getRequest(songPath(i)));
        clients.append(client);
    }
    QTRY_COMPARE(server.fileStats().activeFileRequests, 3);
    FileStats stats = server.fileStats();
    QCOMPARE(stats.fileRequests, 3);
    QCOMPARE(stats.peakActiveFileRequests, 3);
    qDeleteAll(clients); // the clients give up: their answers are no longer active
    QTRY_COMPARE(server.fileStats().activeFileRequests, 0);
    QCOMPARE(server.fileStats().peakActiveFileRequests, 3);

    server.resetFileStats();
    stats = server.fileStats();
    QCOMPARE(stats.bodyBytesSent, 0);
    QCOMPARE(stats.fileRequests, 0);
    QCOMPARE(stats.peakActiveFileRequests, 0);

    // Whole bodies count every byte; a HEAD and a missing range count none.
    LocalServer fast;
    QVERIFY(fast.listen());
    QVERIFY(exchange(fast.port(), getRequest(SongPath)).complete());
    QVERIFY(exchange(fast.port(), getRequest(SongPath, "Range: bytes=-1000\r\n")).complete());
    QCOMPARE(exchange(fast.port(), headRequest("/a/1448.mp3")).status(), 200);
    QCOMPARE(exchange(fast.port(), getRequest(SongPath, "Range: bytes=99999999-\r\n")).status(), 416);
    QVERIFY(exchange(fast.port(), getRequest("/list/dj.html")).complete()); // pages are not counted
    QTRY_COMPARE(fast.fileStats().activeFileRequests, 0);
    stats = fast.fileStats();
    QCOMPARE(stats.fileRequests, 4);
    QCOMPARE(stats.bodyBytesSent, m_file.size() + 1000);
    QCOMPARE(stats.peakActiveFileRequests, 1);
}

void TestFileServing::statsOverHttp()
{
    LocalServer server;
    QVERIFY(server.listen());
    QVERIFY(exchange(server.port(), getRequest(SongPath, "Range: bytes=0-99\r\n")).complete());
    const auto statsOf = [](const HttpAnswer& answer) {
        return QJsonDocument::fromJson(answer.body()).object();
    };

    const HttpAnswer first = exchange(server.port(), getRequest("/_stats?reset=1"));
    QCOMPARE(first.status(), 200);
    QCOMPARE(first.header("content-type"), QByteArray("application/json"));
    const QJsonObject before = statsOf(first);
    QCOMPARE(before.value(u"bodyBytesSent").toInteger(), 100);
    QCOMPARE(before.value(u"fileRequests").toInteger(), 1);
    QCOMPARE(before.value(u"activeFileRequests").toInteger(), 0);
    QCOMPARE(before.value(u"peakActiveFileRequests").toInteger(), 1);

    const QJsonObject after = statsOf(exchange(server.port(), getRequest("http://any.host/_stats")));
    QCOMPARE(after.value(u"bodyBytesSent").toInteger(), 0);
    QCOMPARE(after.value(u"fileRequests").toInteger(), 0);
    QCOMPARE(after.value(u"peakActiveFileRequests").toInteger(), 0);
}

void TestFileServing::qtNetworkClientCanTellACutAnswer()
{
    // The client the program downloads with. Qt 6.4 finishes a cut answer without an error, so a
    // cut must show as fewer bytes than the announced length. (Resuming through this client is
    // covered end to end by the download queue's tests.)
    LocalServer server(ServerOptions{.dropAfterBytes = 300000});
    QVERIFY(server.listen());
    QNetworkAccessManager manager;
    manager.setProxy(QNetworkProxy::NoProxy);
    QNetworkReply* cut = manager.get(
        QNetworkRequest(QUrl(QStringLiteral("http://127.0.0.1:%1/mirror1/1448.mp3").arg(server.port()))));
    QSignalSpy finished(cut, &QNetworkReply::finished);
    QVERIFY(finished.wait(10000));
    QCOMPARE(cut->header(QNetworkRequest::ContentLengthHeader).toLongLong(), m_file.size());
    const QByteArray received = cut->readAll();
    QCOMPARE(received.size(), 300000);
    QVERIFY(m_file.startsWith(received));
    cut->deleteLater();
}

QTEST_GUILESS_MAIN(TestFileServing)
#include "tst_fileserving.moc"
