// SPDX-License-Identifier: MIT
#include "download/diskjobs.h"
#include "download/downloadqueue.h"
#include "download/partrecord.h"
#include "download/songtitle.h"
#include "download/targetchoice.h"
#include "localservice/catalogue.h"
#include "localservice/songaudio.h"
#include "tests/download/queuetestrig.h"
#include "tests/download/tagreading.h"

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

constexpr int BatchWaitMs = 30'000;
constexpr int SongCount = 12;

} // namespace

class TestDownloadTags : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void batchIsTaggedFromItsRows();
    void tagFailureLeavesTheSongDone();
    void taggedSongKnownByItsRecord();

private:
    LocalService::LocalServer m_server;
    QNetworkAccessManager m_network;
};

void TestDownloadTags::initTestCase()
{
    QCoreApplication::setApplicationName(u"qorvin-download-tags-test"_s);
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_server.listen(0));
}

void TestDownloadTags::batchIsTaggedFromItsRows()
{
    QTemporaryDir dir;
    auto queue = makeTestQueue(m_network, dir.path(), 3000);
    QSignalSpy finished(queue.get(), &DownloadQueue::batchFinished);
    // The first songs of the catalogue hold every kind of tag the service makes; a few rows show a
    // quality mark or no singer, as result pages do.
    QList<DownloadRequest> songs;
    for (int id = 0; id < SongCount; ++id) {
        const LocalService::Song& song = LocalService::Catalogue::builtIn().song(id);
        QString title = id % 5 == 4 ? song.name : song.name + u" - "_s + song.singer;
        if (id % 4 == 1)
            title += u" [128K]"_s;
        songs.append({QUrl(songHref(m_server.port(), id)), title, id + 1});
    }
    const QString folder = dir.filePath(u"宋词"_s);
    const BatchChoices choices{u"{singer}/{n}. {name}"_s, true, {}};
    const int batchId = queue->add(songs, folder, u"宋词"_s, choices);
    QVERIFY(finished.wait(BatchWaitMs));
    QCOMPARE(finished.at(0).at(0).value<BatchResult>().done, SongCount);

    for (const DownloadItem& item : queue->items()) {
        const int id = item.number - 1;
        const LocalService::Song& song = LocalService::Catalogue::builtIn().song(id);
        const SongTitleParts parts = splitSongTitle(songs.at(id).title);
        QCOMPARE(item.notice, QString());
        const QString expectedPath =
            parts.singer.isEmpty()
                ? u"%1/%2. %3.mp3"_s.arg(folder).arg(item.number, 2, 10, QChar(u'0')).arg(song.name)
                : u"%1/%2/%3. %4.mp3"_s.arg(folder, song.singer)
                      .arg(item.number, 2, 10, QChar(u'0'))
                      .arg(song.name);
        QCOMPARE(item.targetPath, expectedPath);

        const ReadTags tags = readTags(item.targetPath);
        QVERIFY(tags.id3v2 && !tags.id3v1);
        QCOMPARE(tags.version, 3u);
        QCOMPARE(tags.title, song.name);
        // A row without a singer keeps the file's own, which is the catalogue's when it has one.
        QVERIFY2(tags.singer == song.singer || (parts.singer.isEmpty() && tags.singer.isEmpty()),
                 qPrintable(tags.singer));
        QCOMPARE(tags.track, QString::number(item.number));
        QCOMPARE(tags.comments, 0); // the adverts are gone
        QCOMPARE(sha256(audioOf(readFile(item.targetPath))),
                 sha256(audioOf(LocalService::SongAudio::fileBytes(id))));
    }

    // Asked for again, the songs are there already; fetched anyway, each gets a file of its own,
    // and clearing the list or cancelling a done song deletes no file.
    finished.clear();
    queue->add(songs, folder, u"宋词"_s, choices);
    QVERIFY(finished.wait(BatchWaitMs));
    QList<DownloadItem> again;
    for (const DownloadItem& item : queue->items()) {
        if (item.batchId != batchId) {
            QCOMPARE(item.state, DownloadState::Done);
            QVERIFY(item.existed);
            again.append(item);
        }
    }
    QCOMPARE(again.size(), SongCount);
    finished.clear();
    queue->redownload(again.first().id);
    QVERIFY(finished.wait(BatchWaitMs));
    const DownloadItem fetched = queue->item(again.first().id);
    QVERIFY(fetched.targetPath.endsWith(u" (2).mp3"_s));
    QCOMPARE(readFile(fetched.targetPath), readFile(again.first().targetPath));
    queue->cancel(fetched.id);
    queue->clearFinished();
    QVERIFY(queue->items().isEmpty());
    QVERIFY(QFileInfo::exists(fetched.targetPath));
    for (const DownloadItem& item : std::as_const(again))
        QVERIFY(QFileInfo::exists(item.targetPath));
}

void TestDownloadTags::tagFailureLeavesTheSongDone()
{
    QTemporaryDir dir;
    auto queue = makeTestQueue(m_network, dir.path(), 3000);
    QSignalSpy finished(queue.get(), &DownloadQueue::batchFinished);
    // A folder where the song would be tagged: the part file cannot move there.
    QVERIFY(QDir().mkpath(dir.filePath(u"songs/甲.mp3.tagging"_s)));
    queue->add({songLink(m_server.port(), 3, u"甲"_s)}, dir.filePath(u"songs"_s), u"乙"_s,
               {QString::fromUtf16(DefaultNameTemplate), true, {}});
    QVERIFY(finished.wait(BatchWaitMs));
    const DownloadItem item = queue->items().constFirst();
    QCOMPARE(item.state, DownloadState::Done);
    QVERIFY2(item.notice.startsWith(u"未写入歌曲信息: "_s), qPrintable(item.notice));
    QCOMPARE(readFile(item.targetPath), LocalService::SongAudio::fileBytes(3));
    QVERIFY(!QFileInfo::exists(partPathFor(item.targetPath)));
}

void TestDownloadTags::taggedSongKnownByItsRecord()
{
    // A run stopped after the rename, before its store kept the song, finds the tagged file by the
    // record beside it, though its size is no longer the server's.
    QTemporaryDir dir;
    const QString target = dir.filePath(u"甲.mp3"_s);
    const QString link = u"http://a.example/3.mp3"_s;
    const QByteArray served = LocalService::SongAudio::fileBytes(3);
    QVERIFY(writeFile(partPathFor(target), served));
    QVERIFY(writeRunningPartRecord(partRecordPathFor(target), {link, "\"e\"", {}, served.size()}).ok);
    DiskJobs jobs;
    std::optional<TransferOutcome> outcome;
    connect(&jobs, &DiskJobs::finalized, this, [&](quint64, const TransferOutcome& done) { outcome = done; });
    jobs.finalize(target, served.size(), SongTagValues{u"甲 - 乙"_s, u"丙"_s, 1});
    QTRY_VERIFY(outcome);
    QVERIFY(outcome->ok && outcome->tagProblem.isEmpty());
    QCOMPARE(readTags(outcome->finalPath).title, u"甲"_s);
    const std::optional<CompletedFile> finished =
        finishedByRecord(target, link, readPartRecord(partRecordPathFor(target)));
    QVERIFY(finished);
    QCOMPARE(finished->path, outcome->finalPath);
    QCOMPARE(finished->size, QFileInfo(outcome->finalPath).size());
}

QTEST_GUILESS_MAIN(TestDownloadTags)
#include "tst_downloadtags.moc"
