// SPDX-License-Identifier: MIT
#include "localservice/gbkcodec.h"
#include "localservice/localserver.h"
#include "localservice/pagegenerator.h"
#include "localservice/songaudio.h"
#include "tests/localservice/httpexchange.h"
#include "tests/localservice/pagemarkers.h"

#include <QTest>

using namespace Qorvin::LocalService;
using namespace Qorvin::LocalService::Test;

namespace {

const QByteArray SuQuery =
    "/m?z=0&cl=3&ct=134217728&sn=&lm=0&cm=1&sc=1&bu=&rn=30&tn=baidump3&word=%CB%D5%E9%F8&pn=0";

} // namespace

class TestLocalServer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void searchPageInEitherRequestForm_data();
    void searchPageInEitherRequestForm();
    void otherPages_data();
    void otherPages();
    void mp3FilesAndRanges();
    void headAnswersWithoutBody();
    void malformedRequestsGet400AndHarmNothing_data();
    void malformedRequestsGet400AndHarmNothing();
    void nulNeverReachesThePage_data();
    void nulNeverReachesThePage();
    void failEveryAlternatesErrorAndReset();
    void stallEveryLeavesTheAnswerUnfinished();
    void delayHoldsPagesBack();

private:
    LocalServer m_server;
};

void TestLocalServer::initTestCase()
{
    QVERIFY(m_server.listen(0));
    QVERIFY(m_server.port() != 0);
}

void TestLocalServer::searchPageInEitherRequestForm_data()
{
    QTest::addColumn<QByteArray>("target");
    QTest::newRow("origin-form") << SuQuery;
    QTest::newRow("proxy-form") << "http://mp3.baidu.com" + SuQuery;
}

void TestLocalServer::searchPageInEitherRequestForm()
{
    QFETCH(QByteArray, target);
    const HttpAnswer answer = exchange(m_server.port(), getRequest(target));
    QCOMPARE(answer.status(), 200);
    QCOMPARE(answer.header("content-type"), QByteArray("text/html; charset=gb2312"));
    QCOMPARE(answer.header("content-length").toLongLong(), answer.body().size());
    const std::optional<QString> page = decodeGbk(answer.body());
    QVERIFY(page);
    QCOMPARE(page->count(RecordMarker), 30);
    QCOMPARE(encodeGbkPage(PageGenerator().searchPage(QStringLiteral("苏轼"), 0)), answer.body());
}

void TestLocalServer::otherPages_data()
{
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("contains");
    QTest::newRow("topic list") << QByteArray("http://list.mp3.baidu.com/list/newhits.html") << 200
                                << QStringLiteral("新歌TOP100");
    QTest::newRow("maker home") << QByteArray("http://www.tavrel.example/") << 200
                                << QStringLiteral("Tavrel软件");
    QTest::newRow("forum") << QByteArray("http://www.tavrel.example/tavrel/bbs/index.asp") << 200
                           << QStringLiteral("论坛");
    QTest::newRow("unknown path") << QByteArray("/nothing/here.html") << 404 << QStringLiteral("404");
    QTest::newRow("song past the catalogue") << QByteArray("/mirror1/99999999.mp3") << 404 << QString();
    QTest::newRow("word not gbk") << QByteArray("/m?word=%FF%FF&pn=0") << 400 << QStringLiteral("GBK");
    QTest::newRow("word not utf-8") << QByteArray("/m?ie=utf-8&word=%CB%D5&pn=0") << 400
                                    << QStringLiteral("UTF-8");
    QTest::newRow("bad escapes") << QByteArray("/m?word=%zz%&pn=%%") << 200 << QStringLiteral("%zz%");
    QTest::newRow("100 KB query") << "/m?word=" + QByteArray(100 * 1024, 'a') + "&pn=0" << 400
                                  << QStringLiteral("太长");
    QTest::newRow("far offset") << QByteArray("/m?word=%CB%D5%E9%F8&pn=2147483647") << 200
                                << QStringLiteral("没有更多");
}

void TestLocalServer::otherPages()
{
    QFETCH(QByteArray, target);
    QFETCH(int, status);
    QFETCH(QString, contains);
    const HttpAnswer answer = exchange(m_server.port(), getRequest(target));
    QCOMPARE(answer.status(), status);
    QVERIFY(answer.complete());
    const std::optional<QString> page = decodeGbk(answer.body());
    QVERIFY(page);
    QVERIFY2(page->contains(contains), qPrintable(page->left(400)));
}

void TestLocalServer::mp3FilesAndRanges()
{
    const QByteArray path = "http://music.localservice.example/mirror2/1448.mp3";
    const HttpAnswer whole = exchange(m_server.port(), getRequest(path));
    QCOMPARE(whole.status(), 200);
    QCOMPARE(whole.header("content-type"), QByteArray("audio/mpeg"));
    QCOMPARE(whole.header("accept-ranges"), QByteArray("bytes"));
    const QByteArray mp3 = whole.body();
    QCOMPARE(mp3, SongAudio::fileBytes(1448));
    QCOMPARE(whole.header("content-length").toLongLong(), mp3.size());

    // An upper-case extension and another mirror name the same song.
    QCOMPARE(exchange(m_server.port(), getRequest("/mirror1/1448.MP3")).body(), mp3);

    const HttpAnswer part = exchange(m_server.port(), getRequest(path, "Range: bytes=100-\r\n"));
    QCOMPARE(part.status(), 206);
    QCOMPARE(part.body(), mp3.sliced(100));
    QCOMPARE(part.header("content-range"),
             "bytes 100-" + QByteArray::number(mp3.size() - 1) + '/' + QByteArray::number(mp3.size()));

    const HttpAnswer past = exchange(m_server.port(), getRequest(path, "Range: bytes=99999999-\r\n"));
    QCOMPARE(past.status(), 416);
    QCOMPARE(past.header("content-range"), "bytes */" + QByteArray::number(mp3.size()));
}

void TestLocalServer::headAnswersWithoutBody()
{
    const HttpAnswer answer =
        exchange(m_server.port(), "HEAD /list/dj.html HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
    QCOMPARE(answer.status(), 200);
    QVERIFY(answer.header("content-length").toLongLong() > 1000);
    QVERIFY(answer.body().isEmpty());
}

void TestLocalServer::malformedRequestsGet400AndHarmNothing_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::newRow("one word") << QByteArray("GARBAGE\r\n\r\n");
    QTest::newRow("method only") << QByteArray("GET\r\n\r\n");
    QTest::newRow("binary") << QByteArray("\x00\xff\xfe\r\n\r\n", 7);
    QTest::newRow("blanks in the target") << QByteArray("GET /a b c HTTP/1.1\r\n\r\n");
    QTest::newRow("HTTP/1.1 without Host") << QByteArray("GET / HTTP/1.1\r\n\r\n");
}

void TestLocalServer::malformedRequestsGet400AndHarmNothing()
{
    QFETCH(QByteArray, request);
    const HttpAnswer answer = exchangeUntilClosed(m_server.port(), request);
    QCOMPARE(answer.status(), 400);
    QVERIFY(answer.closedByServer);
    QCOMPARE(exchange(m_server.port(), getRequest("/")).status(), 200);
}

void TestLocalServer::nulNeverReachesThePage_data()
{
    QTest::addColumn<QByteArray>("target");
    QTest::newRow("in a path") << QByteArray("/a%00b");
    QTest::newRow("in a keyword") << QByteArray("/m?tn=baidump3&word=a%00b&pn=0");
    QTest::newRow("in a UTF-8 keyword") << QByteArray("/m?ie=utf-8&word=%00&pn=0");
}

void TestLocalServer::nulNeverReachesThePage()
{
    QFETCH(QByteArray, target);
    const HttpAnswer answer = exchange(m_server.port(), getRequest(target));
    QVERIFY(answer.complete());
    QVERIFY(!answer.body().isEmpty());
    QVERIFY(!answer.body().contains('\0'));
}

void TestLocalServer::failEveryAlternatesErrorAndReset()
{
    LocalServer failing(ServerOptions{.failEvery = 2});
    QVERIFY(failing.listen());
    QList<int> statuses;
    for (int i = 0; i < 4; ++i)
        statuses.append(exchange(failing.port(), getRequest("/")).status());
    QCOMPARE(statuses, (QList<int>{200, 500, 200, 0}));
    // The MP3 files are no pages: they never fail.
    for (int i = 0; i < 2; ++i)
        QCOMPARE(exchange(failing.port(), getRequest("/mirror1/3.mp3")).status(), 200);
}

void TestLocalServer::stallEveryLeavesTheAnswerUnfinished()
{
    LocalServer stalling(ServerOptions{.stallEvery = 2});
    QVERIFY(stalling.listen());
    QVERIFY(exchange(stalling.port(), getRequest("/")).complete());
    const HttpAnswer stalled = exchange(stalling.port(), getRequest("/"), 700);
    QCOMPARE(stalled.status(), 200);
    QVERIFY(!stalled.complete());
    QVERIFY(!stalled.closedByServer);
    QVERIFY(!stalled.body().isEmpty());
}

void TestLocalServer::delayHoldsPagesBack()
{
    LocalServer slow(ServerOptions{.delayMs = 400});
    QVERIFY(slow.listen());
    // Not a timing test: within 100 ms nothing came, and the page comes in the end.
    QVERIFY(exchange(slow.port(), getRequest("/"), 100).raw.isEmpty());
    QCOMPARE(exchange(slow.port(), getRequest("/")).status(), 200);
}

QTEST_GUILESS_MAIN(TestLocalServer)
#include "tst_localserver.moc"
