// SPDX-License-Identifier: MIT
// The downloads window's pieces without the engine: the list model over the queue, the texts of
// its cells, the status bar panel, and which of a page's links are fetched.
#include "downloadlistmodel.h"
#include "downloadqueue.h"
#include "downloadstatuspanel.h"
#include "downloadswindow.h"
#include "resultsonglinks.h"
#include "songdownloads.h"
#include "transfertext.h"

#include <QApplication>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTableView>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

using namespace Qorvin;

namespace {

// A server that takes connections and never answers: its downloads stay running.
class SilentServer
{
public:
    SilentServer()
    {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection())
                socket->setParent(&m_server);
        });
    }
    QString songHref(int number) const
    {
        return QStringLiteral("http://127.0.0.1:%1/%2.mp3").arg(m_server.serverPort()).arg(number);
    }

private:
    QTcpServer m_server;
};

// A queue that reaches the silent server directly and keeps its store in a folder of its own.
struct QueueUnderTest
{
    QTemporaryDir folder;
    QNetworkAccessManager network;
    DownloadQueue queue{&network};

    QueueUnderTest()
    {
        network.setProxy(QNetworkProxy::NoProxy);
        queue.setStorePath(folder.filePath(QStringLiteral("downloads.json")));
    }
    QList<int> add(const QList<SongLink>& links)
    {
        return queue.add(links, folder.path(), QStringLiteral("歌"));
    }
};

QString cell(const DownloadListModel& model, int row, int column)
{
    return model.data(model.index(row, column)).toString();
}

DownloadItem itemIn(DownloadState state, qint64 received, qint64 total, const QString& reason = {})
{
    DownloadItem item;
    item.state = state;
    item.bytesReceived = received;
    item.bytesTotal = total;
    item.failureReason = reason;
    return item;
}

} // namespace

class TestDownloadList : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void cellTexts_data();
    void cellTexts();
    void rateText_data();
    void rateText();

    void modelFollowsQueue();
    void statusPanelShowsQueueProgress();
    void windowCommandsReachSelectedItems();

    void linksNotQueued_data();
    void linksNotQueued();
    void indexOfSongLink_data();
    void indexOfSongLink();
    void scriptValueToLinks();
};

void TestDownloadList::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestDownloadList::cellTexts_data()
{
    QTest::addColumn<DownloadItem>("item");
    QTest::addColumn<QString>("size");
    QTest::addColumn<int>("percent");
    QTest::addColumn<QString>("state");

    QTest::newRow("size unknown") << itemIn(DownloadState::Downloading, 5000, -1) << QString() << 0
                                  << QStringLiteral("下载中");
    QTest::newRow("half") << itemIn(DownloadState::Downloading, 1572864, 3145728) << QStringLiteral("3.0 MB")
                          << 50 << QStringLiteral("下载中");
    QTest::newRow("paused part") << itemIn(DownloadState::Paused, 1023, 4096) << QStringLiteral("4.0 kB")
                                 << 24 << QStringLiteral("已暂停");
    // A server can send more than it announced; the bar still ends at its end.
    QTest::newRow("more than announced") << itemIn(DownloadState::Downloading, 9000, 4096)
                                         << QStringLiteral("4.0 kB") << 100 << QStringLiteral("下载中");
    QTest::newRow("done of unknown size")
        << itemIn(DownloadState::Done, 2048, -1) << QString() << 100 << QStringLiteral("已完成");
    QTest::newRow("failed with reason")
        << itemIn(DownloadState::Failed, 0, 2048, QStringLiteral("不是MP3文件")) << QStringLiteral("2.0 kB")
        << 0 << QStringLiteral("失败：不是MP3文件");
    QTest::newRow("empty file") << itemIn(DownloadState::Waiting, 0, 0) << QStringLiteral("0 字节") << 0
                                << QStringLiteral("等待");
}

void TestDownloadList::cellTexts()
{
    QFETCH(DownloadItem, item);
    QFETCH(QString, size);
    QFETCH(int, percent);
    QFETCH(QString, state);
    QCOMPARE(sizeText(item.bytesTotal), size);
    QCOMPARE(progressPercent(item), percent);
    QCOMPARE(stateText(item), state);
}

void TestDownloadList::rateText_data()
{
    QTest::addColumn<qint64>("bytesPerSecond");
    QTest::addColumn<QString>("text");
    QTest::newRow("still") << qint64(0) << QString();
    QTest::newRow("unknown") << qint64(-1) << QString();
    QTest::newRow("kilobytes") << qint64(123456) << QStringLiteral("120.6 kB/s");
    QTest::newRow("megabytes") << qint64(5 * 1024 * 1024) << QStringLiteral("5.0 MB/s");
}

void TestDownloadList::rateText()
{
    QFETCH(qint64, bytesPerSecond);
    QFETCH(QString, text);
    QCOMPARE(Qorvin::rateText(bytesPerSecond), text);
}

void TestDownloadList::modelFollowsQueue()
{
    SilentServer server;
    QueueUnderTest t;
    DownloadListModel model(t.queue);
    QCOMPARE(model.columnCount(), 5);
    QStringList headers;
    for (int column = 0; column < model.columnCount(); ++column)
        headers.append(model.headerData(column, Qt::Horizontal).toString());
    QCOMPARE(headers, (QStringList{QStringLiteral("歌曲名"), QStringLiteral("大小"), QStringLiteral("进度"),
                                   QStringLiteral("速度"), QStringLiteral("状态")}));

    const QList<int> ids = t.add({{QStringLiteral("Rock &amp; Roll"), server.songHref(1)},
                                  {QStringLiteral("<b>红豆</b>"), server.songHref(2)},
                                  {QStringLiteral("无链接"), QStringLiteral("javascript:void(0)")}});
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(cell(model, 0, DownloadListModel::TitleColumn), QStringLiteral("Rock & Roll"));
    QCOMPARE(cell(model, 1, DownloadListModel::TitleColumn), QStringLiteral("红豆"));
    QCOMPARE(model.data(model.index(1, 0), DownloadListModel::IdRole).toInt(), ids.at(1));
    QVERIFY(cell(model, 2, DownloadListModel::StateColumn).startsWith(QStringLiteral("失败：")));
    QCOMPARE(
        model.data(model.index(0, DownloadListModel::ProgressColumn), DownloadListModel::PercentRole).toInt(),
        0);

    // State changes reach the rows at once.
    t.queue.pause(ids.at(0));
    QCOMPARE(cell(model, 0, DownloadListModel::StateColumn), QStringLiteral("已暂停"));
    QCOMPARE(cell(model, 0, DownloadListModel::RateColumn), QString());
    t.queue.cancel(ids.at(1));
    QCOMPARE(cell(model, 1, DownloadListModel::StateColumn), QStringLiteral("已取消"));

    // Clearing drops the cancelled row and keeps the others in their order.
    t.queue.clearFinished();
    QCOMPARE(model.rowCount(), t.queue.items().size());
    QCOMPARE(model.rowOf(ids.at(1)), -1);
    QCOMPARE(model.itemAt(0).id, ids.at(0));
    QCOMPARE(model.itemAt(model.rowCount()).id, 0);
}

void TestDownloadList::statusPanelShowsQueueProgress()
{
    SilentServer server;
    QueueUnderTest t;
    QWidget bar;
    DownloadStatusPanel panel(t.queue, &bar);
    bar.show();
    QVERIFY(panel.isHidden());

    const QList<int> ids = t.add({{QStringLiteral("一"), server.songHref(1)},
                                  {QStringLiteral("二"), server.songHref(2)},
                                  {QStringLiteral("三"), server.songHref(3)}});
    QTRY_VERIFY(panel.isVisible());
    QCOMPARE(panel.text(), QStringLiteral("下载 0/3 · 0%"));

    t.queue.cancel(ids.at(2));
    QTRY_COMPARE(panel.text(), QStringLiteral("下载 0/2 · 0%"));

    QSignalSpy clicks(&panel, &DownloadStatusPanel::clicked);
    QTest::mouseClick(&panel, Qt::LeftButton);
    QCOMPARE(clicks.count(), 1);

    t.queue.cancel(ids.at(0));
    t.queue.cancel(ids.at(1));
    t.queue.clearFinished();
    QTRY_VERIFY(panel.isHidden());
}

void TestDownloadList::windowCommandsReachSelectedItems()
{
    SilentServer server;
    QueueUnderTest t;
    QList<QUrl> opened;
    DownloadsWindow window(t.queue, [&opened](const QUrl& folder) { opened.append(folder); });
    window.show();
    const QList<int> ids =
        t.add({{QStringLiteral("一"), server.songHref(1)}, {QStringLiteral("二"), server.songHref(2)}});
    QCOMPARE(window.table()->model()->rowCount(), 2);

    window.table()->selectRow(1);
    QCOMPARE(window.selectedIds(), QList<int>{ids.at(1)});
    const auto press = [&window](const QString& text) {
        const QList<QPushButton*> buttons = window.findChildren<QPushButton*>();
        for (QPushButton* button : buttons) {
            if (button->text() == text) {
                QVERIFY(button->isEnabled());
                button->click();
                return;
            }
        }
        QFAIL(qPrintable(QStringLiteral("no button ") + text));
    };
    press(QStringLiteral("暂停"));
    QCOMPARE(t.queue.item(ids.at(1)).state, DownloadState::Paused);
    QCOMPARE(t.queue.item(ids.at(0)).state, DownloadState::Downloading);
    press(QStringLiteral("继续"));
    QVERIFY(t.queue.item(ids.at(1)).state != DownloadState::Paused);
    press(QStringLiteral("打开所在文件夹"));
    QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(t.folder.path())});

    press(QStringLiteral("全部暂停"));
    QCOMPARE(t.queue.item(ids.at(0)).state, DownloadState::Paused);
    QTRY_COMPARE(window.totalText(), QStringLiteral("总进度：下载 0/2 · 0%"));
    press(QStringLiteral("取消"));
    press(QStringLiteral("清除已完成"));
    QCOMPARE(window.table()->model()->rowCount(), 1);
}

void TestDownloadList::linksNotQueued_data()
{
    QTest::addColumn<QList<DownloadState>>("queuedStates");
    QTest::addColumn<QStringList>("hrefs");
    QTest::addColumn<QStringList>("fetched");

    const QString a = QStringLiteral("http://h/a.mp3");
    const QString b = QStringLiteral("http://h/b.mp3");
    QTest::newRow("nothing queued") << QList<DownloadState>{} << QStringList{a, b} << QStringList{a, b};
    QTest::newRow("twice on the page") << QList<DownloadState>{} << QStringList{a, a} << QStringList{a};
    QTest::newRow("running") << QList<DownloadState>{DownloadState::Downloading} << QStringList{a, b}
                             << QStringList{b};
    QTest::newRow("paused goes on, not again")
        << QList<DownloadState>{DownloadState::Paused} << QStringList{a} << QStringList{};
    QTest::newRow("failed is retried, not again")
        << QList<DownloadState>{DownloadState::Failed} << QStringList{a} << QStringList{};
    QTest::newRow("done fetches again")
        << QList<DownloadState>{DownloadState::Done} << QStringList{a} << QStringList{a};
    QTest::newRow("cancelled fetches again")
        << QList<DownloadState>{DownloadState::Cancelled} << QStringList{a} << QStringList{a};
    QTest::newRow("escaped the same")
        << QList<DownloadState>{DownloadState::Waiting}
        << QStringList{QStringLiteral("http://h/%61.mp3"), QStringLiteral(" http://h/a.mp3")}
        << QStringList{};
    QTest::newRow("no address kept for its failure")
        << QList<DownloadState>{} << QStringList{QStringLiteral("关于"), QStringLiteral("关于")}
        << QStringList{QStringLiteral("关于"), QStringLiteral("关于")};
}

void TestDownloadList::linksNotQueued()
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
    QList<SongLink> links;
    for (const QString& href : std::as_const(hrefs))
        links.append({QStringLiteral("歌"), href});
    QStringList result;
    for (const SongLink& link : Qorvin::linksNotQueued(queued, links))
        result.append(link.hrefHtml);
    QCOMPARE(result, fetched);
}

void TestDownloadList::indexOfSongLink_data()
{
    QTest::addColumn<QStringList>("hrefs");
    QTest::addColumn<QUrl>("followed");
    QTest::addColumn<int>("index");

    const QStringList page{QStringLiteral("http://h/r&amp;b/a.mp3"), QStringLiteral("http://h/歌 1.mp3"),
                           QStringLiteral("http://h/x.mp3?a=1&amp;b=2")};
    QTest::newRow("character reference") << page << QUrl(QStringLiteral("http://h/r&b/a.mp3")) << 0;
    QTest::newRow("escaped by the engine") << page << QUrl(QStringLiteral("http://h/%E6%AD%8C%201.mp3")) << 1;
    QTest::newRow("query") << page << QUrl(QStringLiteral("http://h/x.mp3?a=1&b=2")) << 2;
    QTest::newRow("host in capitals") << page << QUrl(QStringLiteral("http://H/x.mp3?a=1&b=2")) << 2;
    QTest::newRow("another site") << page << QUrl(QStringLiteral("http://www.example.com/")) << -1;
    QTest::newRow("nothing under the pointer") << page << QUrl() << -1;
    QTest::newRow("a page without songs") << QStringList{} << QUrl(QStringLiteral("http://h/a.mp3")) << -1;
}

void TestDownloadList::indexOfSongLink()
{
    QFETCH(QStringList, hrefs);
    QFETCH(QUrl, followed);
    QFETCH(int, index);
    QList<SongLink> links;
    for (const QString& href : std::as_const(hrefs))
        links.append({QStringLiteral("歌"), href});
    QCOMPARE(Qorvin::indexOfSongLink(links, followed), qsizetype(index));
}

void TestDownloadList::scriptValueToLinks()
{
    // The attribute comes decoded; it goes back to markup so the queue decodes it exactly once.
    const QVariantList value{
        QVariantList{QStringLiteral(" Rock &amp; Roll"), QStringLiteral("http://h/r&amp;b.mp3")},
        QVariantList{QStringLiteral("only one")},
        QVariantList{QStringLiteral("<b>红</b>"), QStringLiteral("http://h/a.mp3?x=1&y=\"2\"")}};
    const QList<SongLink> links = songLinksFromScriptValue(value);
    QCOMPARE(links.size(), 2);
    QCOMPARE(links.at(0).titleHtml, QStringLiteral(" Rock &amp; Roll"));
    QCOMPARE(links.at(0).hrefHtml, QStringLiteral("http://h/r&amp;amp;b.mp3"));
    QCOMPARE(links.at(1).hrefHtml, QStringLiteral("http://h/a.mp3?x=1&amp;y=&quot;2&quot;"));
    QVERIFY(songLinksFromScriptValue(QVariant()).isEmpty());
}

QTEST_MAIN(TestDownloadList)
#include "tst_downloadlist.moc"
