// SPDX-License-Identifier: MIT
#include "download/downloadqueue.h"
#include "download/partrecord.h"
#include "tests/download/queuetestrig.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qorvin;
using namespace Qorvin::Test;
using namespace Qt::StringLiterals;

namespace {

constexpr int BatchWaitMs = 20'000;

} // namespace

class TestDownloadQueue : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void batchEqualsTheServiceAndWritesItsPlaylist();
    void completeLinkIsSkippedAndOtherFilesKept();
    void completePartAnsweredWith416IsDone();
    void unusableAnswersFail_data();
    void unusableAnswersFail();
    void writeFailureFailsTheItemOnly_data();
    void writeFailureFailsTheItemOnly();
    void storedQueueComesBackAndEnds_data();
    void storedQueueComesBackAndEnds();
    void pauseResumeAndCancelWhileWaiting();

private:
    std::unique_ptr<DownloadQueue> makeQueue();

    LocalService::LocalServer m_server;
    QNetworkAccessManager m_network;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestDownloadQueue::initTestCase()
{
    QCoreApplication::setApplicationName(u"qorvin-download-test"_s);
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_server.listen(0));
}

void TestDownloadQueue::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

std::unique_ptr<DownloadQueue> TestDownloadQueue::makeQueue()
{
    return makeTestQueue(m_network, m_dir->path(), 3000);
}

void TestDownloadQueue::batchEqualsTheServiceAndWritesItsPlaylist()
{
    auto queue = makeQueue();
    QSignalSpy finished(queue.get(), &DownloadQueue::batchFinished);
    const QString folder = m_dir->filePath(u"songs/春"_s);
    const QList<DownloadRequest> links{
        songLink(m_server.port(), 10, u"Rock & Roll - 甲"_s), songLink(m_server.port(), 11, u"../../逃出"_s),
        songLink(m_server.port(), 12, QString()), songLink(m_server.port(), 13, u"Rock & Roll - 甲"_s)};
    const QList<int> ids = addBatch(*queue, links, folder, u"春"_s);
    QCOMPARE(ids.size(), 4);
    QVERIFY(finished.wait(BatchWaitMs));

    const auto result = finished.at(0).at(0).value<BatchResult>();
    QCOMPARE(result.done, 4);
    QCOMPARE(result.failed, 0);
    QCOMPARE(result.playlistPath, QDir(folder).filePath(u"春.m3u8"_s));
    const QStringList names{u"Rock & Roll - 甲.mp3"_s, u"_.._逃出.mp3"_s, u"12.mp3"_s,
                            u"Rock & Roll - 甲 (2).mp3"_s};
    for (int i = 0; i < ids.size(); ++i) {
        const DownloadItem item = queue->item(ids.at(i));
        QCOMPARE(item.state, DownloadState::Done);
        QCOMPARE(item.targetPath, QDir(folder).filePath(names.at(i)));
        const QByteArray expected = serviceBytes(m_network, links.at(i).url.toString());
        QVERIFY(!expected.isEmpty());
        QCOMPARE(fileSha256(item.targetPath), sha256(expected));
        QCOMPARE(item.bytesReceived, expected.size());
    }
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 5); // the songs and the playlist, no part files
    QCOMPARE(readFile(result.playlistPath), "#EXTM3U\n"
                                             "#EXTINF:-1,Rock & Roll - 甲\nRock & Roll - 甲.mp3\n"
                                             "#EXTINF:-1,../../逃出\n_.._逃出.mp3\n"
                                             "#EXTINF:-1,\n12.mp3\n"
                                             "#EXTINF:-1,Rock & Roll - 甲\nRock & Roll - 甲 (2).mp3\n"_ba);
    QCOMPARE(queue->progress().text(), u"下载 4/4 · 100%"_s);
    QVERIFY(!queue->hasActiveItems());
}

void TestDownloadQueue::completeLinkIsSkippedAndOtherFilesKept()
{
    const QString folder = m_dir->filePath(u"songs"_s);
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(writeFile(QDir(folder).filePath(u"乙.mp3"_s), "someone else's file"));
    auto queue = makeQueue();
    QSignalSpy finished(queue.get(), &DownloadQueue::batchFinished);
    const QList<DownloadRequest> links{songLink(m_server.port(), 20, u"乙"_s)};
    const int first = addBatch(*queue, links, folder, u"乙"_s).at(0);
    QVERIFY(finished.wait(BatchWaitMs));
    // A song recorded as complete after it.
    addBatch(*queue, {songLink(m_server.port(), 21, u"丁"_s)}, folder, u"丁"_s);
    QVERIFY(finished.wait(BatchWaitMs));
    QCOMPARE(queue->item(first).targetPath, QDir(folder).filePath(u"乙 (2).mp3"_s));
    QCOMPARE(readFile(QDir(folder).filePath(u"乙.mp3"_s)), "someone else's file"_ba);

    // The same link again, even from a new run of the program, is done without a request.
    QVERIFY(queue->save().ok);
    queue = makeQueue();
    QVERIFY(queue->load().ok);
    QSignalSpy again(queue.get(), &DownloadQueue::batchFinished);
    const int second = addBatch(*queue, links, folder, u"乙"_s).at(0);
    QCOMPARE(queue->item(second).state, DownloadState::Done);
    QCOMPARE(queue->item(second).targetPath, QDir(folder).filePath(u"乙 (2).mp3"_s));
    QVERIFY(again.wait(BatchWaitMs));
    const BatchResult result = again.at(0).at(0).value<BatchResult>();
    QCOMPARE(result.done, 1);
    // The playlist names this song's file, not that of the song recorded after it.
    const QByteArray playlist = readFile(result.playlistPath);
    QVERIFY2(playlist.contains("乙 (2).mp3") && !playlist.contains("丁"), playlist.constData());
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 5);
}

void TestDownloadQueue::completePartAnsweredWith416IsDone()
{
    const QString url = songHref(m_server.port(), 30);
    const QByteArray whole = serviceBytes(m_network, url);
    QVERIFY(!whole.isEmpty());
    const QString folder = m_dir->path();
    const QString target = QDir(folder).filePath(u"丙.mp3"_s);
    QVERIFY(writeFile(partPathFor(target), whole));
    QVERIFY(writeRunningPartRecord(partRecordPathFor(target), {url, {}, {}, whole.size()}).ok);

    auto queue = makeQueue();
    QSignalSpy finished(queue.get(), &DownloadQueue::batchFinished);
    const int id = addBatch(*queue, {{QUrl(url), u"丙"_s}}, folder, QString()).at(0);
    QVERIFY(finished.wait(BatchWaitMs));
    QCOMPARE(queue->item(id).state, DownloadState::Done);
    QCOMPARE(readFile(target), whole);
    QVERIFY(!QFileInfo::exists(partPathFor(target)));
    // The record goes once the store lists the song as complete.
    QTRY_VERIFY(!QFileInfo::exists(partRecordPathFor(target)));
    QVERIFY(finished.at(0).at(0).value<BatchResult>().playlistPath.isEmpty()); // no keyword, no playlist
}

void TestDownloadQueue::unusableAnswersFail_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("reason");

    QTest::newRow("web page with 200") << u"/list/newhits.html"_s << u"不是MP3文件"_s;
    QTest::newRow("missing file") << u"/nothing/here.mp3"_s << u"服务器上没有这个文件（HTTP 404）"_s;
    QTest::newRow("song past the catalogue")
        << u"/mirror1/99999999.mp3"_s << u"服务器上没有这个文件（HTTP 404）"_s;
}

void TestDownloadQueue::unusableAnswersFail()
{
    QFETCH(QString, path);
    QFETCH(QString, reason);
    auto queue = makeQueue();
    QSignalSpy finished(queue.get(), &DownloadQueue::batchFinished);
    const QString url = u"http://127.0.0.1:%1%2"_s.arg(m_server.port()).arg(path);
    const int id = addBatch(*queue, {{QUrl(url), u"丁"_s}}, m_dir->path(), u"丁"_s).at(0);
    QVERIFY(finished.wait(BatchWaitMs));
    const DownloadItem item = queue->item(id);
    QCOMPARE(item.state, DownloadState::Failed);
    QCOMPARE(item.failureReason, reason);
    const auto result = finished.at(0).at(0).value<BatchResult>();
    QCOMPARE(result.failed, 1);
    QVERIFY(result.playlistPath.isEmpty()); // nothing downloaded, no playlist
    QVERIFY(QDir(m_dir->path()).entryList(QDir::Files | QDir::NoDotAndDotDot).isEmpty());
}

void TestDownloadQueue::writeFailureFailsTheItemOnly_data()
{
    QTest::addColumn<QString>("blocker"); // made a file, so the folder cannot be
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("reason");

    QTest::newRow("folder is a file") << u"file"_s << u"file"_s << u"下载文件夹的路径是一个文件"_s;
    QTest::newRow("folder under a file") << u"file"_s << u"file/songs"_s << u"无法创建下载文件夹"_s;
}

void TestDownloadQueue::writeFailureFailsTheItemOnly()
{
    QFETCH(QString, blocker);
    QFETCH(QString, folder);
    QFETCH(QString, reason);
    QVERIFY(writeFile(m_dir->filePath(blocker), "x"));
    auto queue = makeQueue();
    QSignalSpy finished(queue.get(), &DownloadQueue::batchFinished);
    const int blocked =
        addBatch(*queue, {songLink(m_server.port(), 40, u"戊"_s)}, m_dir->filePath(folder), u"戊"_s).at(0);
    const int fine =
        addBatch(*queue, {songLink(m_server.port(), 41, u"己"_s)}, m_dir->filePath(u"ok"_s), u"己"_s).at(0);
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, BatchWaitMs);
    QCOMPARE(queue->item(blocked).state, DownloadState::Failed);
    QVERIFY2(queue->item(blocked).failureReason.startsWith(reason),
             qPrintable(queue->item(blocked).failureReason));
    QCOMPARE(queue->item(fine).state, DownloadState::Done);
    QCOMPARE(readFile(m_dir->filePath(blocker)), "x"_ba);
}

void TestDownloadQueue::storedQueueComesBackAndEnds_data()
{
    QTest::addColumn<bool>("renamed");
    QTest::newRow("half of the file in its part file") << false;
    // The batch ends as the queue loads, with its playlist.
    QTest::newRow("renamed, not yet stored as done") << true;
}

void TestDownloadQueue::storedQueueComesBackAndEnds()
{
    QFETCH(bool, renamed);
    const QString url = songHref(m_server.port(), 50);
    const QByteArray whole = serviceBytes(m_network, url);
    QVERIFY(whole.size() > 2);
    const QString folder = m_dir->filePath(u"songs"_s);
    {
        auto queue = makeQueue();
        const int id = addBatch(*queue, {{QUrl(url), u"庚"_s}}, folder, u"庚"_s).at(0);
        queue->pause(id);
        QCOMPARE(queue->item(id).state, DownloadState::Paused);
        QVERIFY(queue->save().ok);
    }
    // The program stopped with half of the file in its part file, or just after the rename.
    const QString target = QDir(folder).filePath(u"庚.mp3"_s);
    QVERIFY(
        writeFile(renamed ? target : partPathFor(target), renamed ? whole : whole.left(whole.size() / 2)));
    QVERIFY(
        writeRunningPartRecord(partRecordPathFor(target), {url, {}, {}, whole.size()}, renamed ? target : QString())
            .ok);

    auto queue = makeQueue();
    QSignalSpy added(queue.get(), &DownloadQueue::itemAdded);
    QSignalSpy finished(queue.get(), &DownloadQueue::batchFinished);
    QVERIFY(queue->load().ok);
    QCOMPARE(added.size(), 1);
    const int id = added.at(0).at(0).toInt();
    if (!renamed) {
        QCOMPARE(queue->item(id).state, DownloadState::Paused);
        QCOMPARE(queue->item(id).bytesReceived, whole.size() / 2);
        QCOMPARE(queue->item(id).bytesTotal, whole.size());
        QVERIFY(!queue->hasActiveItems());
        queue->resumeAll();
    }
    QVERIFY(finished.size() == 1 || finished.wait(BatchWaitMs));
    QCOMPARE(queue->item(id).state, DownloadState::Done);
    QCOMPARE(fileSha256(target), sha256(whole));
    QCOMPARE(readFile(QDir(folder).filePath(u"庚.m3u8"_s)), "#EXTM3U\n#EXTINF:-1,庚\n庚.mp3\n"_ba);
}

void TestDownloadQueue::pauseResumeAndCancelWhileWaiting()
{
    auto queue = makeQueue();
    queue->setMaxConcurrent(1);
    QSignalSpy finished(queue.get(), &DownloadQueue::batchFinished);
    const QString folder = m_dir->filePath(u"songs"_s);
    const QList<int> ids =
        addBatch(*queue,
                 {songLink(m_server.port(), 60, u"一"_s), songLink(m_server.port(), 61, u"二"_s),
                  songLink(m_server.port(), 62, u"三"_s)},
                 folder, u"数"_s);
    QCOMPARE(queue->item(ids.at(0)).state, DownloadState::Downloading);
    QCOMPARE(queue->item(ids.at(1)).state, DownloadState::Waiting);
    queue->pause(ids.at(1));
    // A part file left from before: cancelling removes it.
    const QString cancelledTarget = queue->item(ids.at(2)).targetPath;
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(writeFile(partPathFor(cancelledTarget), "ID3"));
    queue->cancel(ids.at(2));
    QVERIFY(!QFileInfo::exists(partPathFor(cancelledTarget)));
    QCOMPARE(queue->item(ids.at(2)).state, DownloadState::Cancelled);

    QTRY_COMPARE_WITH_TIMEOUT(queue->item(ids.at(0)).state, DownloadState::Done, BatchWaitMs);
    QCOMPARE(queue->item(ids.at(1)).state, DownloadState::Paused);
    QCOMPARE(finished.size(), 0); // a paused item keeps its batch open
    QCOMPARE(queue->progress().text(), u"下载 1/2 · 50%"_s);

    queue->resume(ids.at(1));
    QVERIFY(finished.wait(BatchWaitMs));
    const auto result = finished.at(0).at(0).value<BatchResult>();
    QCOMPARE(result.done, 2);
    QCOMPARE(result.cancelled, 1);
    QCOMPARE(readFile(result.playlistPath), "#EXTM3U\n#EXTINF:-1,一\n一.mp3\n#EXTINF:-1,二\n二.mp3\n"_ba);

    queue->clearFinished();
    QVERIFY(queue->items().isEmpty());
}

QTEST_GUILESS_MAIN(TestDownloadQueue)
#include "tst_downloadqueue.moc"
