// SPDX-License-Identifier: MIT
// What the window makes of songs and downloads without the engine: the downloads list's cell
// texts, the songs of a page not queued yet, the song under the pointer and the page script's
// value read as songs.
#include "app/downloads/resultsonglinks.h"
#include "app/downloads/songdownloads.h"
#include "app/downloads/transfertext.h"
#include "app/legacyhtml/songlinktext.h"
#include "download/downloaditem.h"

#include <QTest>

using namespace Qorvin;
using namespace Qt::StringLiterals;

namespace {

// Songs all titled the same, one for each link (HTML, as the page holds it).
QList<DownloadRequest> songsAt(const QStringList& hrefs)
{
    QList<SongLink> links;
    for (const QString& href : hrefs)
        links.append({QStringLiteral("歌"), href});
    return downloadRequests(links);
}

} // namespace

class TestDownloadTexts : public QObject
{
    Q_OBJECT

private slots:
    void cellTexts_data();
    void cellTexts();
    void linksNotQueued_data();
    void linksNotQueued();
    void indexOfSong_data();
    void indexOfSong();
    void scriptValueToLinks();
};

void TestDownloadTexts::cellTexts_data()
{
    QTest::addColumn<DownloadState>("state");
    QTest::addColumn<qint64>("received");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<QString>("size");
    QTest::addColumn<int>("percent");
    QTest::addColumn<QString>("stateText");
    QTest::addColumn<bool>("existed");
    QTest::addColumn<QString>("notice");
    QTest::addColumn<QString>("toolTip");

    const auto running = DownloadState::Downloading;
    QTest::newRow("size unknown") << running << qint64(5000) << qint64(-1) << QString() << 0 << u"下载中"_s
                                  << false << QString() << u"下载中"_s;
    QTest::newRow("half") << running << qint64(1572864) << qint64(3145728) << u"3.0 MB"_s << 50 << u"下载中"_s
                          << false << QString() << u"下载中"_s;
    QTest::newRow("paused part") << DownloadState::Paused << qint64(1023) << qint64(4096) << u"4.0 kB"_s << 24
                                 << u"已暂停"_s << false << QString() << u"已暂停"_s;
    // A server can send more than it announced; the bar still ends at its end.
    QTest::newRow("more than announced") << running << qint64(9000) << qint64(4096) << u"4.0 kB"_s << 100
                                         << u"下载中"_s << false << QString() << u"下载中"_s;
    QTest::newRow("done of unknown size") << DownloadState::Done << qint64(2048) << qint64(-1) << QString()
                                          << 100 << u"已完成"_s << false << QString() << u"已完成"_s;
    QTest::newRow("failed") << DownloadState::Failed << qint64(0) << qint64(2048) << u"2.0 kB"_s << 0
                            << u"失败：不是MP3文件"_s << false << QString() << u"失败：不是MP3文件"_s;
    QTest::newRow("already there") << DownloadState::Done << qint64(2048) << qint64(2048) << u"2.0 kB"_s
                                   << 100 << u"已存在"_s << true << QString() << u"已存在"_s;
    QTest::newRow("done without tags")
        << DownloadState::Done << qint64(2048) << qint64(2048) << u"2.0 kB"_s << 100 << u"已完成"_s << false
        << u"未写入歌曲信息: 文件是空的"_s << u"已完成：未写入歌曲信息: 文件是空的"_s;
}

void TestDownloadTexts::cellTexts()
{
    QFETCH(DownloadState, state);
    QFETCH(qint64, received);
    QFETCH(qint64, total);
    QFETCH(QString, size);
    QFETCH(int, percent);
    QFETCH(QString, stateText);
    QFETCH(bool, existed);
    QFETCH(QString, notice);
    QFETCH(QString, toolTip);
    DownloadItem item;
    item.existed = existed;
    item.notice = notice;
    item.state = state;
    item.bytesReceived = received;
    item.bytesTotal = total;
    if (state == DownloadState::Failed)
        item.failureReason = u"不是MP3文件"_s;
    QCOMPARE(sizeText(item.bytesTotal), size);
    QCOMPARE(progressPercent(item), percent);
    QCOMPARE(Qorvin::stateText(item), stateText);
    QCOMPARE(stateToolTip(item), toolTip);
}

void TestDownloadTexts::linksNotQueued_data()
{
    QTest::addColumn<QList<DownloadState>>("queuedStates");
    QTest::addColumn<QStringList>("hrefs");
    QTest::addColumn<QStringList>("fetched");

    const QString a = QStringLiteral("http://h/a.mp3");
    const QString b = QStringLiteral("http://h/b.mp3");
    QTest::newRow("twice on the page") << QList<DownloadState>{} << QStringList{a, a} << QStringList{a};
    QTest::newRow("running") << QList<DownloadState>{DownloadState::Downloading} << QStringList{a, b}
                             << QStringList{b};
    QTest::newRow("paused goes on, not again")
        << QList<DownloadState>{DownloadState::Paused} << QStringList{a} << QStringList{};
    QTest::newRow("failed is retried, not again")
        << QList<DownloadState>{DownloadState::Failed} << QStringList{a} << QStringList{};
    QTest::newRow("done fetches again")
        << QList<DownloadState>{DownloadState::Done} << QStringList{a} << QStringList{a};
    QTest::newRow("escaped the same")
        << QList<DownloadState>{DownloadState::Waiting}
        << QStringList{QStringLiteral("http://h/%61.mp3"), QStringLiteral(" http://h/a.mp3")}
        << QStringList{};
}

void TestDownloadTexts::linksNotQueued()
{
    QFETCH(QList<DownloadState>, queuedStates);
    QFETCH(QStringList, hrefs);
    QFETCH(QStringList, fetched);

    QList<DownloadItem> queued;
    for (DownloadState state : queuedStates) {
        DownloadItem item;
        item.url = QUrl(QStringLiteral("http://h/a.mp3"));
        item.state = state;
        queued.append(item);
    }
    QStringList result;
    for (const DownloadRequest& song : Qorvin::songsNotQueued(queued, songsAt(hrefs)))
        result.append(song.url.toString());
    QCOMPARE(result, fetched);
}

void TestDownloadTexts::indexOfSong_data()
{
    QTest::addColumn<QStringList>("hrefs");
    QTest::addColumn<QUrl>("followed");
    QTest::addColumn<int>("index");

    const QStringList page{QStringLiteral("http://h/r&amp;b/a.mp3"), QStringLiteral("http://h/歌 1.mp3"),
                           QStringLiteral("http://h/x.mp3?a=1&amp;b=2")};
    QTest::newRow("character reference") << page << QUrl(QStringLiteral("http://h/r&b/a.mp3")) << 0;
    QTest::newRow("escaped by the engine") << page << QUrl(QStringLiteral("http://h/%E6%AD%8C%201.mp3")) << 1;
    QTest::newRow("query") << page << QUrl(QStringLiteral("http://h/x.mp3?a=1&b=2")) << 2;
    QTest::newRow("another site") << page << QUrl(QStringLiteral("http://www.example.com/")) << -1;
    QTest::newRow("nothing under the pointer") << page << QUrl() << -1;
}

void TestDownloadTexts::indexOfSong()
{
    QFETCH(QStringList, hrefs);
    QFETCH(QUrl, followed);
    QFETCH(int, index);
    QCOMPARE(Qorvin::indexOfSong(songsAt(hrefs), followed), qsizetype(index));
}

void TestDownloadTexts::scriptValueToLinks()
{
    // The attribute comes decoded and the title as markup; each is decoded exactly once.
    const QVariantList value{
        QVariantList{QStringLiteral(" Rock &amp; Roll"), QStringLiteral("http://h/r&amp;b.mp3")},
        QVariantList{QStringLiteral("only one")},
        QVariantList{QStringLiteral("<b>红</b>"), QStringLiteral("http://h/a.mp3?x=1&y=\"2\"")}};
    const QList<DownloadRequest> songs = songsFromScriptValue(value);
    QCOMPARE(songs.size(), 2);
    QCOMPARE(songs.at(0).title, QStringLiteral("Rock & Roll"));
    QCOMPARE(songs.at(0).url.toEncoded(), QByteArray("http://h/r&amp;b.mp3"));
    QCOMPARE(songs.at(1).title, QStringLiteral("红"));
    QCOMPARE(songs.at(1).url.toEncoded(), QByteArray("http://h/a.mp3?x=1&y=%222%22"));
    QVERIFY(songsFromScriptValue(QVariant()).isEmpty());
}

QTEST_GUILESS_MAIN(TestDownloadTexts)
#include "tst_downloadtexts.moc"
