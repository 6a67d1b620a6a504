// SPDX-License-Identifier: MIT
#include "download/downloadqueue.h"
#include "download/partrecord.h"
#include "tests/download/queuetestrig.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

using namespace Qorvin;
using namespace Qorvin::Test;
using namespace Qt::StringLiterals;
using LocalService::LocalServer;
using LocalService::ServerOptions;

Q_DECLARE_METATYPE(Qorvin::LocalService::ServerOptions)

namespace {

constexpr int WaitMs = 30'000;

} // namespace

// Downloads that are interrupted, refused or slowed by the service, and what the service saw.
class TestDownloadResume : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void droppedConnectionsResume();
    void rangeAnsweredWholeStartsAgain_data();
    void rangeAnsweredWholeStartsAgain();
    void transientErrorsRetriedThenFinal_data();
    void transientErrorsRetriedThenFinal();
    void silentServerTimesOut();
    void redirectsAndBusyAnswers_data();
    void redirectsAndBusyAnswers();
    void concurrencyLimitHeld_data();
    void concurrencyLimitHeld();
    void pauseResumeAndCancelMidDownload();
    void secondDownloaderLeavesPartFileAlone();
    void queueStoredAtQuitResumesAfterRestart();
    void folderRemovedMidDownload();

private:
    std::unique_ptr<LocalServer> startServer(const ServerOptions& options);
    std::unique_ptr<DownloadQueue> makeQueue();

    QNetworkAccessManager m_network;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestDownloadResume::initTestCase()
{
    QCoreApplication::setApplicationName(u"qorvin-download-resume-test"_s);
    QStandardPaths::setTestModeEnabled(true);
}

void TestDownloadResume::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

std::unique_ptr<LocalServer> TestDownloadResume::startServer(const ServerOptions& options)
{
    auto server = std::make_unique<LocalServer>(options);
    if (!server->listen(0))
        return nullptr;
    return server;
}

std::unique_ptr<DownloadQueue> TestDownloadResume::makeQueue()
{
    return makeTestQueue(m_network, m_dir->path(), 5000);
}

void TestDownloadResume::droppedConnectionsResume()
{
    ServerOptions options;
    options.dropAfterBytes = 1'000'000;
    auto server = startServer(options);
    QVERIFY(server);
    auto queue = makeQueue();
    QSignalSpy finished(queue.get(), &DownloadQueue::batchFinished);
    const QList<DownloadRequest> links{songLink(server->port(), 100, u"甲"_s),
                                       songLink(server->port(), 101, u"乙"_s)};
    const QList<int> ids = addBatch(*queue, links, m_dir->path(), u"断"_s);
    QVERIFY(finished.wait(WaitMs));

    const LocalService::FileStats stats = server->fileStats();
    qint64 total = 0;
    for (int id : ids) {
        QCOMPARE(queue->item(id).state, DownloadState::Done);
        total += queue->item(id).bytesTotal;
    }
    // Dropped once each, then continued with a range. The service counts the bytes it handed to the
    // connection, some of which the drop discards unsent; starting again from zero would cost the
    // full drop twice over.
    QVERIFY(stats.fileRequests >= 4);
    QVERIFY(stats.bodyBytesSent >= total);
    QVERIFY(stats.bodyBytesSent < total + 2 * options.dropAfterBytes);
    for (int i = 0; i < ids.size(); ++i)
        QCOMPARE(fileSha256(queue->item(ids.at(i)).targetPath),
                 sha256(serviceBytes(m_network, links.at(i).url.toString())));
}

void TestDownloadResume::rangeAnsweredWholeStartsAgain_data()
{
    QTest::addColumn<bool>("ignoreRange");
    QTest::addColumn<QByteArray>("etag");

    QTest::newRow("server ignores ranges") << true << QByteArray();
    QTest::newRow("file changed: If-Range mismatch") << false << "\"stale\""_ba;
}

void TestDownloadResume::rangeAnsweredWholeStartsAgain()
{
    QFETCH(bool, ignoreRange);
    QFETCH(QByteArray, etag);
    auto server = startServer({.ignoreRange = ignoreRange});
    QVERIFY(server);
    const QString url = songHref(server->port(), 110);
    const QByteArray whole = serviceBytes(m_network, url);
    QVERIFY(whole.size() > 1000);
    // A part file whose bytes are not the file's: appending to it would corrupt the song.
    const QString target = m_dir->filePath(u"丙.mp3"_s);
    QVERIFY(writeFile(partPathFor(target), QByteArray(whole.size() / 2, 'x')));
    QVERIFY(writeRunningPartRecord(partRecordPathFor(target), {url, etag, {}, whole.size()}).ok);
    server->resetFileStats();

    auto queue = makeQueue();
    QSignalSpy finished(queue.get(), &DownloadQueue::batchFinished);
    const int id = addBatch(*queue, {{QUrl(url), u"丙"_s}}, m_dir->path(), QString()).at(0);
    QVERIFY(finished.wait(WaitMs));
    QCOMPARE(queue->item(id).state, DownloadState::Done);
    QCOMPARE(fileSha256(target), sha256(whole));
    QCOMPARE(server->fileStats().fileRequests, 1);
    QCOMPARE(server->fileStats().bodyBytesSent, whole.size());
}

void TestDownloadResume::transientErrorsRetriedThenFinal_data()
{
    QTest::addColumn<ServerOptions>("options");
    QTest::addColumn<qint64>("requests");
    QTest::addColumn<QString>("reason");

    QTest::newRow("500 retried three times")
        << ServerOptions{.brokenSongs = {120}} << 4LL << u"服务器出错（HTTP 500）"_s;
    QTest::newRow("404 final at once")
        << ServerOptions{.missingSongs = {120}} << 1LL << u"服务器上没有这个文件（HTTP 404）"_s;
}

void TestDownloadResume::transientErrorsRetriedThenFinal()
{
    QFETCH(ServerOptions, options);
    QFETCH(qint64, requests);
    QFETCH(QString, reason);
    auto server = startServer(options);
    QVERIFY(server);
    auto queue = makeQueue();
    QSignalSpy finished(queue.get(), &DownloadQueue::batchFinished);
    const int id = addBatch(*queue, {songLink(server->port(), 120, u"丁"_s)}, m_dir->path(), u"丁"_s).at(0);
    QVERIFY(finished.wait(WaitMs));
    QCOMPARE(queue->item(id).state, DownloadState::Failed);
    QCOMPARE(queue->item(id).failureReason, reason);
    QCOMPARE(server->fileStats().fileRequests, requests);
    QVERIFY(QDir(m_dir->path()).entryList(QDir::Files).isEmpty());

    // 重试 starts a fresh round of attempts.
    queue->retry(id);
    QVERIFY(finished.wait(WaitMs));
    QCOMPARE(server->fileStats().fileRequests, 2 * requests);
}

void TestDownloadResume::silentServerTimesOut()
{
    // A server that takes the connection and never answers.
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    QList<QTcpSocket*> connections;
    connect(&silent, &QTcpServer::newConnection, this,
            [&] { connections.append(silent.nextPendingConnection()); });
    auto queue = makeQueue();
    DownloadTiming timing = queue->timing();
    timing.stallTimeoutMs = 300;
    queue->setTiming(timing);
    QSignalSpy finished(queue.get(), &DownloadQueue::batchFinished);
    const int id =
        addBatch(*queue, {songLink(silent.serverPort(), 1, u"壬"_s)}, m_dir->path(), u"壬"_s).at(0);
    QVERIFY(finished.wait(WaitMs));
    QCOMPARE(queue->item(id).state, DownloadState::Failed);
    QCOMPARE(queue->item(id).failureReason, u"1 秒没有收到数据"_s);
    QCOMPARE(connections.size(), 4); // the first try and three retries
}

void TestDownloadResume::redirectsAndBusyAnswers_data()
{
    QTest::addColumn<QString>("path"); // /hop/N: N redirects to itself before the song's; /busy/N: N answers
                                       // 429; /file/0: to a file
    QTest::addColumn<bool>("done");
    QTest::addColumn<QString>("reason");

    QTest::newRow("five redirects followed") << u"/hop/4"_s << true << QString();
    QTest::newRow("a sixth redirect refused") << u"/hop/5"_s << false << u"重定向超过 5 次"_s;
    QTest::newRow("429 twice, then the song") << u"/busy/2"_s << true << QString();
    QTest::newRow("429 four times") << u"/busy/4"_s << false << u"服务器繁忙（HTTP 429）"_s;
    QTest::newRow("redirect to a local file")
        << u"/file/0"_s << false << u"不支持的地址：file:///etc/passwd"_s;
}

void TestDownloadResume::redirectsAndBusyAnswers()
{
    QFETCH(QString, path);
    QFETCH(bool, done);
    QFETCH(QString, reason);
    auto songs = startServer({});
    QVERIFY(songs);
    const QByteArray song = songHref(songs->port(), 170).toUtf8();
    const auto redirect = [](const QByteArray& location) {
        return "HTTP/1.1 302 Found\r\nLocation: " + location +
               "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    };
    ScriptedServer server([&](int number, const QByteArray& requestLine) {
        // "GET /hop/3 HTTP/1.1"
        const QByteArrayList parts = requestLine.split(' ').value(1).split('/');
        const int count = parts.value(2).toInt();
        if (parts.value(1) == "file")
            return redirect("file:///etc/passwd");
        if (parts.value(1) == "hop")
            return redirect(count > 0 ? "/hop/" + QByteArray::number(count - 1) : song);
        if (number <= count)
            return QByteArray("HTTP/1.1 429 Too Many Requests\r\nRetry-After: 0\r\nContent-Length: 0\r\n"
                              "Connection: close\r\n\r\n");
        return redirect(song);
    });
    QVERIFY(server.listen(QHostAddress::LocalHost));
    auto queue = makeQueue();
    QSignalSpy finished(queue.get(), &DownloadQueue::batchFinished);
    const QString url = u"http://127.0.0.1:%1%2"_s.arg(server.serverPort()).arg(path);
    const int id = addBatch(*queue, {{QUrl(url), u"癸"_s}}, m_dir->path(), u"癸"_s).at(0);
    QVERIFY(finished.wait(WaitMs));
    const DownloadItem item = queue->item(id);
    QCOMPARE(item.state, done ? DownloadState::Done : DownloadState::Failed);
    QCOMPARE(item.failureReason, reason);
    if (done)
        QCOMPARE(fileSha256(item.targetPath), sha256(serviceBytes(m_network, QString::fromUtf8(song))));
}

void TestDownloadResume::concurrencyLimitHeld_data()
{
    QTest::addColumn<int>("limit");
    QTest::newRow("one at a time") << 1;
    QTest::newRow("default") << 3;
}

void TestDownloadResume::concurrencyLimitHeld()
{
    QFETCH(int, limit);
    auto server = startServer({.rateKbps = 200'000}); // slow enough that the downloads overlap
    QVERIFY(server);
    auto queue = makeQueue();
    if (limit != 3)
        queue->setMaxConcurrent(limit);
    QCOMPARE(queue->maxConcurrent(), limit);
    QSignalSpy finished(queue.get(), &DownloadQueue::batchFinished);
    QList<DownloadRequest> links;
    for (int song = 130; song < 136; ++song)
        links.append(songLink(server->port(), song, u"歌%1"_s.arg(song)));
    addBatch(*queue, links, m_dir->path(), u"并发"_s);
    QVERIFY(finished.wait(WaitMs));
    QCOMPARE(finished.at(0).at(0).value<BatchResult>().done, 6);
    QCOMPARE(server->fileStats().peakActiveFileRequests, limit);
    QCOMPARE(server->fileStats().fileRequests, 6);
}

void TestDownloadResume::pauseResumeAndCancelMidDownload()
{
    auto server = startServer({.rateKbps = 8000}); // 1 MB/s
    QVERIFY(server);
    auto queue = makeQueue();
    QSignalSpy finished(queue.get(), &DownloadQueue::batchFinished);
    const QList<int> ids =
        addBatch(*queue, {songLink(server->port(), 140, u"停"_s), songLink(server->port(), 141, u"消"_s)},
                 m_dir->path(), u"停"_s);
    QTRY_VERIFY_WITH_TIMEOUT(queue->item(ids.at(0)).bytesReceived > 200'000, WaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(queue->item(ids.at(1)).bytesReceived > 200'000, WaitMs);

    queue->pause(ids.at(0));
    queue->cancel(ids.at(1));
    const DownloadItem paused = queue->item(ids.at(0));
    QCOMPARE(paused.state, DownloadState::Paused);
    QCOMPARE(QFileInfo(partPathFor(paused.targetPath)).size(), paused.bytesReceived);
    const DownloadItem cancelled = queue->item(ids.at(1));
    QCOMPARE(cancelled.state, DownloadState::Cancelled);
    QVERIFY(!QFileInfo::exists(partPathFor(cancelled.targetPath)));
    QVERIFY(!QFileInfo::exists(partRecordPathFor(cancelled.targetPath)));
    QVERIFY(!QFileInfo::exists(cancelled.targetPath));

    // The service notices the closed connections a moment later; what it sent till then is lost.
    QTRY_COMPARE_WITH_TIMEOUT(server->fileStats().activeFileRequests, 0, WaitMs);
    const qint64 sentBefore = server->fileStats().bodyBytesSent;
    queue->resume(ids.at(0));
    QVERIFY(finished.wait(WaitMs));
    const DownloadItem done = queue->item(ids.at(0));
    QCOMPARE(done.state, DownloadState::Done);
    // Continued from the part file: the second request sent only the rest.
    QVERIFY(server->fileStats().bodyBytesSent - sentBefore <= done.bytesTotal - paused.bytesReceived);
    server->resetFileStats();
    QCOMPARE(fileSha256(done.targetPath), sha256(serviceBytes(m_network, songHref(server->port(), 140))));
    QVERIFY(!QFileInfo::exists(cancelled.targetPath));
}

// Two queues (two programs, say the window and the command line) given the same song for the same
// folder: the second finds the first one's part file in use and leaves it be.
void TestDownloadResume::secondDownloaderLeavesPartFileAlone()
{
    auto server = startServer({.rateKbps = 8000}); // 1 MB/s
    QVERIFY(server);
    auto first = makeQueue();
    QSignalSpy firstFinished(first.get(), &DownloadQueue::batchFinished);
    const DownloadRequest link = songLink(server->port(), 150, u"同"_s);
    const int firstId = addBatch(*first, {link}, m_dir->path(), {}).value(0);
    QTRY_VERIFY_WITH_TIMEOUT(first->item(firstId).bytesReceived > 200'000, WaitMs);

    auto second = makeTestQueue(m_network, m_dir->filePath(u"second"_s), 5000);
    QSignalSpy secondFinished(second.get(), &DownloadQueue::batchFinished);
    const int secondId = addBatch(*second, {link}, m_dir->path(), {}).value(0);
    // It may end before add() returns.
    QTRY_COMPARE_WITH_TIMEOUT(secondFinished.count(), 1, WaitMs);
    const DownloadItem refused = second->item(secondId);
    QCOMPARE(refused.state, DownloadState::Failed);
    QVERIFY2(refused.failureReason.contains(u"另一个下载正在写入"_s), qPrintable(refused.failureReason));

    QVERIFY(firstFinished.wait(WaitMs));
    const DownloadItem done = first->item(firstId);
    QCOMPARE(done.state, DownloadState::Done);
    QCOMPARE(fileSha256(done.targetPath), sha256(serviceBytes(m_network, link.url.toString())));
    QVERIFY(!QFileInfo::exists(partPathFor(done.targetPath)));
}

void TestDownloadResume::queueStoredAtQuitResumesAfterRestart()
{
    auto server = startServer({.rateKbps = 8000});
    QVERIFY(server);
    const QString url = songHref(server->port(), 150);
    QString target;
    {
        auto queue = makeQueue();
        const int id = addBatch(*queue, {{QUrl(url), u"庚"_s}}, m_dir->path(), u"庚"_s).at(0);
        QTRY_VERIFY_WITH_TIMEOUT(queue->item(id).bytesReceived > 300'000, WaitMs);
        target = queue->item(id).targetPath;
        QVERIFY(queue->hasActiveItems());
    } // the program quits mid-download
    const qint64 kept = QFileInfo(partPathFor(target)).size();
    QVERIFY(kept > 300'000);
    QTRY_COMPARE_WITH_TIMEOUT(server->fileStats().activeFileRequests, 0, WaitMs);
    const qint64 sentBefore = server->fileStats().bodyBytesSent;

    auto queue = makeQueue();
    QSignalSpy added(queue.get(), &DownloadQueue::itemAdded);
    QVERIFY(queue->load().ok);
    QCOMPARE(added.size(), 1);
    const int id = added.at(0).at(0).toInt();
    QCOMPARE(queue->item(id).state, DownloadState::Paused);
    QCOMPARE(queue->item(id).bytesReceived, kept);
    QCOMPARE(queue->item(id).title, u"庚"_s);
    QVERIFY(!queue->hasActiveItems());

    QSignalSpy finished(queue.get(), &DownloadQueue::batchFinished);
    queue->resumeAll();
    QVERIFY(finished.wait(WaitMs));
    const DownloadItem done = queue->item(id);
    QCOMPARE(done.state, DownloadState::Done);
    QVERIFY(server->fileStats().bodyBytesSent - sentBefore <= done.bytesTotal - kept);
    server->resetFileStats();
    QCOMPARE(fileSha256(target), sha256(serviceBytes(m_network, url)));
    QCOMPARE(readFile(m_dir->filePath(u"庚.m3u8"_s)), "#EXTM3U\n#EXTINF:-1,庚\n庚.mp3\n"_ba);
}

void TestDownloadResume::folderRemovedMidDownload()
{
    auto server = startServer({.rateKbps = 8000});
    QVERIFY(server);
    auto queue = makeQueue();
    QSignalSpy finished(queue.get(), &DownloadQueue::batchFinished);
    const QString folder = m_dir->filePath(u"gone"_s);
    const int id = addBatch(*queue, {songLink(server->port(), 160, u"辛"_s)}, folder, u"辛"_s).at(0);
    QTRY_VERIFY_WITH_TIMEOUT(queue->item(id).bytesReceived > 100'000, WaitMs);
    QVERIFY(QDir(folder).removeRecursively());
    QVERIFY(finished.wait(WaitMs));
    QCOMPARE(queue->item(id).state, DownloadState::Failed);
    QVERIFY2(queue->item(id).failureReason.startsWith(u"下载文件夹已不存在"_s),
             qPrintable(queue->item(id).failureReason));
    QVERIFY(!QFileInfo::exists(folder));
}

QTEST_GUILESS_MAIN(TestDownloadResume)
#include "tst_downloadresume.moc"
