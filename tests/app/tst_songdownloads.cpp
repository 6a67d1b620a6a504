// SPDX-License-Identifier: MIT
// Downloading from the result view against the real engine, offscreen: the song links read from
// the page, the context menu, a left click on a link, the question before quitting; and the
// downloads list and the status bar panel over a queue whose songs never arrive.
#include "app/browser/webbrowser.h"
#include "app/downloads/downloadlistmodel.h"
#include "app/downloads/downloadstatuspanel.h"
#include "app/downloads/resultsonglinks.h"
#include "app/downloads/songdownloads.h"
#include "app/downloads/transfertext.h"
#include "app/legacyhtml/songlinktext.h"
#include "app/window/frmmain.h"
#include "crawlstate/queryurl.h"
#include "download/downloadfolder.h"
#include "download/downloadqueue.h"
#include "resultpage/resultpagewriter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineView>

#include <memory>

using namespace Qorvin;
using namespace Qt::StringLiterals;

namespace {

constexpr int PageTimeoutMs = 20000;

// Takes connections and never answers: downloads from it stay running.
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
    QString songLink(int number) const
    {
        return QStringLiteral("http://127.0.0.1:%1/%2.mp3").arg(m_server.serverPort()).arg(number);
    }

private:
    QTcpServer m_server;
};

// A queue that reaches the silent server directly, with its store and its songs in a temporary
// folder.
struct QueueUnderTest
{
    QTemporaryDir folder;
    QNetworkAccessManager network;
    DownloadQueue queue{&network};

    QueueUnderTest()
    {
        network.setProxy(QNetworkProxy::NoProxy);
        queue.setStorePath(folder.filePath(QStringLiteral("downloads.json")));
        rememberDownloadBaseFolder(folder.filePath(QStringLiteral("songs")));
    }
    QList<int> add(const QList<DownloadRequest>& songs)
    {
        const int batchId = queue.add(songs, folder.path(), QStringLiteral("歌"));
        QList<int> ids;
        for (const DownloadItem& item : queue.items()) {
            if (item.batchId == batchId)
                ids.append(item.id);
        }
        return ids;
    }
};

// Songs all titled the same, one for each link (HTML, as the page holds it).
QList<DownloadRequest> songsAt(const QStringList& hrefs)
{
    QList<SongLink> links;
    for (const QString& href : hrefs)
        links.append({QStringLiteral("歌"), href});
    return downloadRequests(links);
}

QString cell(const DownloadListModel& model, int row, int column)
{
    return model.data(model.index(row, column)).toString();
}

// The result view alone: a browser in a window with a status bar, and the downloads over it.
struct ResultViewUnderTest
{
    QueueUnderTest t;
    QWidget window;
    WebBrowser* browser = new WebBrowser(&window);
    QStatusBar* bar = new QStatusBar(&window);
    QList<QUrl> elsewhere;
    SongDownloads* downloads = nullptr;

    ResultViewUnderTest()
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(browser, 1);
        layout->addWidget(bar);
        downloads = new SongDownloads(
            t.queue, *browser, *bar, window, [] { return QStringLiteral(" 测试 "); },
            [this](const QUrl& url) { elsewhere.append(url); });
        window.resize(800, 600);
        window.show();
    }
    ~ResultViewUnderTest()
    {
        delete downloads; // before the queue it shows
    }

    bool show(const QByteArray& html)
    {
        QFile page(t.folder.filePath(QStringLiteral("result.htm")));
        if (!page.open(QIODevice::WriteOnly) || page.write(html) != html.size())
            return false;
        page.close();
        return load(page.fileName());
    }
    bool showResultPage(const QStringList& titles, const QStringList& links)
    {
        const QString path = t.folder.filePath(QStringLiteral("result.htm"));
        return ResultPageWriter(path, QStringLiteral("测试"), titles, links).ok && load(path);
    }
    bool load(const QString& path)
    {
        QSignalSpy loaded(browser, &WebBrowser::DocumentComplete);
        browser->Navigate(QUrl::fromLocalFile(path).toString());
        return loaded.wait(PageTimeoutMs);
    }
    QList<DownloadRequest> songLinks()
    {
        QList<DownloadRequest> links;
        bool answered = false;
        browser->readPage(songLinksScript(), [&](const QVariant& value) {
            links = songsFromScriptValue(value);
            answered = true;
        });
        if (!QTest::qWaitFor([&answered] { return answered; }, PageTimeoutMs))
            qWarning("the page gave no song links in time");
        return links;
    }
    QWidget* surface() const { return browser->findChild<QWebEngineView*>()->focusProxy(); }
};

QStringList actionTexts(const QMenu* menu)
{
    QStringList texts;
    const QList<QAction*> actions = menu->actions();
    for (const QAction* action : actions) {
        if (!action->isSeparator())
            texts.append(action->text());
    }
    return texts;
}

QAction* actionNamed(const QMenu* menu, const QString& text)
{
    const QList<QAction*> actions = menu->actions();
    for (QAction* action : actions) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

// Answers the next message box with button, once it is up.
void answerNextMessageBox(QMessageBox::StandardButton button, QString* text)
{
    QTimer::singleShot(0, qApp, [button, text] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            answerNextMessageBox(button, text);
            return;
        }
        *text = box->text();
        box->button(button)->click();
    });
}

} // namespace

class TestSongDownloads : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void songLinksReadFromPage_data();
    void songLinksReadFromPage();
    void contextMenuActions_data();
    void contextMenuActions();
    void mouseOnLink_data();
    void mouseOnLink();
    void quitQuestion_data();
    void quitQuestion();
    void unusableFolderRefusedBeforeAnyRequest();

    void listAndPanelFollowQueue();

private:
    SilentServer m_server;
};

void TestSongDownloads::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestSongDownloads::songLinksReadFromPage_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("plain");
    QTest::addColumn<QUrl>("address");

    const auto row = [](const char* name, const char* title, const char* link, const char* plain,
                        const char* address) {
        QTest::newRow(name) << QString::fromUtf8(title) << QString::fromUtf8(link) << QString::fromUtf8(plain)
                            << QUrl(QString::fromUtf8(address));
    };
    row("references", "Rock &amp; Roll", "http://h.example/r&amp;b/a.mp3", "Rock & Roll",
        "http://h.example/r&b/a.mp3");
    row("bare ampersand", "A&B", "http://h.example/a.mp3?x=1&y=2", "A&B", "http://h.example/a.mp3?x=1&y=2");
    row("tags in the title", "<b>红</b>豆", "http://h.example/2.mp3", "红豆", "http://h.example/2.mp3");
    row("chinese address", "歌", "http://h.example/歌曲.mp3", "歌",
        "http://h.example/%E6%AD%8C%E6%9B%B2.mp3");
    // A title that opens a link of its own ends the song's link early; the song keeps its address.
    row("anchor in the title", "x<a href='http://evil.example/'>y</a>", "http://h.example/3.mp3", "x",
        "http://h.example/3.mp3");
}

void TestSongDownloads::songLinksReadFromPage()
{
    QFETCH(QString, title);
    QFETCH(QString, link);
    QFETCH(QString, plain);
    QFETCH(QUrl, address);

    ResultViewUnderTest view;
    // The song between two others: the page's order and count hold too.
    QVERIFY(view.showResultPage(
        {QStringLiteral("前"), title, QStringLiteral("后")},
        {QStringLiteral("http://h.example/0.mp3"), link, QStringLiteral("http://h.example/9.mp3")}));
    const QList<DownloadRequest> links = view.songLinks();
    QCOMPARE(links.size(), 3); // the maker's link in the notice is no song
    QCOMPARE(links.at(0).title, QStringLiteral("前"));
    QCOMPARE(links.at(1).title, plain);
    QCOMPARE(links.at(1).url, address);
    QCOMPARE(links.at(2).url, QUrl(QStringLiteral("http://h.example/9.mp3")));
    QCOMPARE(links.at(2).number, 3);
}

void TestSongDownloads::contextMenuActions_data()
{
    QTest::addColumn<QStringList>("songs");
    QTest::addColumn<QUrl>("underPointer");
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<bool>("pageActionsEnabled");

    const QStringList page{QStringLiteral("http://h.example/1.mp3"),
                           QStringLiteral("http://h.example/2.mp3")};
    const QStringList always{QStringLiteral("下载全部链接"), QStringLiteral("导出播放列表(M3U)…"),
                             QStringLiteral("打开下载文件夹")};
    const QStringList onSong{QStringLiteral("下载全部链接"), QStringLiteral("下载此歌曲"),
                             QStringLiteral("导出播放列表(M3U)…"), QStringLiteral("打开下载文件夹")};
    QTest::newRow("background") << page << QUrl() << always << true;
    QTest::newRow("song link") << page << QUrl(page.at(1)) << onSong << true;
    QTest::newRow("maker's link") << page << QUrl(makerHomeUrl()) << always << true;
    QTest::newRow("no songs") << QStringList{} << QUrl() << always << false;
}

void TestSongDownloads::contextMenuActions()
{
    QFETCH(QStringList, songs);
    QFETCH(QUrl, underPointer);
    QFETCH(QStringList, actions);
    QFETCH(bool, pageActionsEnabled);

    ResultViewUnderTest view;
    QStringList titles;
    for (qsizetype i = 0; i < songs.size(); ++i)
        titles.append(QStringLiteral("歌%1").arg(i + 1));
    QVERIFY(view.showResultPage(titles, songs));
    emit view.browser->contextMenuRequested(view.window.mapToGlobal(QPoint(40, 40)), underPointer);
    QTRY_VERIFY_WITH_TIMEOUT(view.downloads->contextMenu(), PageTimeoutMs);
    const QMenu* menu = view.downloads->contextMenu();
    QCOMPARE(actionTexts(menu), actions);
    QCOMPARE(actionNamed(menu, QStringLiteral("下载全部链接"))->isEnabled(), pageActionsEnabled);
    QCOMPARE(actionNamed(menu, QStringLiteral("导出播放列表(M3U)…"))->isEnabled(), pageActionsEnabled);

    if (QAction* one = actionNamed(menu, QStringLiteral("下载此歌曲"))) {
        one->trigger();
        const QList<DownloadItem> items = view.t.queue.items();
        QCOMPARE(items.size(), 1);
        QCOMPARE(items.at(0).title, QStringLiteral("歌2"));
        QCOMPARE(items.at(0).url, underPointer);
    }
}

void TestSongDownloads::mouseOnLink_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<QString>("cellClass");
    QTest::addColumn<bool>("downloaded");
    QTest::addColumn<bool>("menu");
    QTest::newRow("left on a song") << Qt::LeftButton << QStringLiteral("d1") << true << false;
    QTest::newRow("left on another site") << Qt::LeftButton << QStringLiteral("t") << false << false;
    QTest::newRow("right on a song") << Qt::RightButton << QStringLiteral("d1") << false << true;
}

void TestSongDownloads::mouseOnLink()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(QString, cellClass);
    QFETCH(bool, downloaded);
    QFETCH(bool, menu);

    ResultViewUnderTest view;
    const QString link = m_server.songLink(7);
    QVERIFY(view.show(
        "<html><body style='margin:0'><table><tr><td class=" + cellClass.toUtf8() + "><a href='" +
        link.toUtf8() +
        "' style='display:block;width:300px;height:200px'>song</a></td></tr></table></body></html>"));
    QTest::mouseClick(view.surface(), button, Qt::NoModifier, QPoint(50, 50));
    QTRY_VERIFY_WITH_TIMEOUT(view.t.queue.items().size() + view.elsewhere.size() > 0 ||
                                 view.downloads->contextMenu(),
                             PageTimeoutMs);
    QTest::qWait(200);
    QCOMPARE(view.t.queue.items().size(), downloaded ? 1 : 0);
    QCOMPARE(view.elsewhere, downloaded || menu ? QList<QUrl>{} : QList<QUrl>{QUrl(link)});
    if (menu)
        QVERIFY(actionTexts(view.downloads->contextMenu()).contains(QStringLiteral("下载此歌曲")));
}

void TestSongDownloads::quitQuestion_data()
{
    QTest::addColumn<bool>("downloading");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closes");
    QTest::newRow("nothing running") << false << int(QMessageBox::NoButton) << true;
    QTest::newRow("yes") << true << int(QMessageBox::Yes) << true;
    QTest::newRow("no") << true << int(QMessageBox::No) << false;
}

void TestSongDownloads::quitQuestion()
{
    QFETCH(bool, downloading);
    QFETCH(int, answer);
    QFETCH(bool, closes);

    QueueUnderTest t;
    QStringList opened;
    auto window = std::make_unique<frmMain>([&opened](const QString& address) { opened.append(address); });
    window->attachDownloads(t.queue);
    window->showCentred();
    if (downloading)
        t.add(songsAt({m_server.songLink(1)}));

    QString asked;
    if (answer != QMessageBox::NoButton)
        answerNextMessageBox(QMessageBox::StandardButton(answer), &asked);
    QCOMPARE(window->close(), closes);
    QCOMPARE(asked, downloading ? QStringLiteral("下载尚未完成，确定退出？") : QString());
    QCOMPARE(window->isVisible(), !closes);
    // Only a window that really closes sends the user to the maker's home page.
    QCOMPARE(opened.contains(makerHomeUrl()), closes);

    if (downloading && closes) {
        // Its request had no answer yet: nothing is on the disk for the next run to take for
        // another program's file.
        QCOMPARE(QDir(t.folder.path()).entryList({u"*.part"_s, u"*.part.json"_s}, QDir::Files),
                 QStringList());
        // The stored queue brings the song back, paused, in the next run.
        QNetworkAccessManager network;
        DownloadQueue nextRun(&network);
        nextRun.setStorePath(t.queue.storePath());
        QVERIFY(nextRun.load().ok);
        QCOMPARE(nextRun.items().size(), 1);
        QCOMPARE(nextRun.items().at(0).state, DownloadState::Paused);
    }
    if (downloading && !closes)
        QCOMPARE(t.queue.items().at(0).state, DownloadState::Downloading);
    window.reset();
}

void TestSongDownloads::unusableFolderRefusedBeforeAnyRequest()
{
    ResultViewUnderTest view;
    // A file stands where the download folder would be made.
    QFile taken(view.t.folder.filePath(QStringLiteral("songs")));
    QVERIFY(taken.open(QIODevice::WriteOnly));
    taken.close();

    QString told;
    answerNextMessageBox(QMessageBox::Ok, &told);
    view.downloads->download(songsAt({m_server.songLink(1), m_server.songLink(2)}));
    QVERIFY2(told.startsWith(QStringLiteral("无法把歌曲下载到文件夹")), qPrintable(told));
    QVERIFY2(told.endsWith(QStringLiteral("这个路径是一个文件")), qPrintable(told));
    QVERIFY(view.t.queue.items().isEmpty()); // said once, and no song was asked for
}

void TestSongDownloads::listAndPanelFollowQueue()
{
    QueueUnderTest t;
    DownloadListModel model(t.queue);
    QWidget bar;
    DownloadStatusPanel panel(t.queue, &bar);
    bar.show();
    QVERIFY(panel.isHidden());
    const QList<int> ids =
        t.add(downloadRequests({{QStringLiteral("Rock &amp; Roll"), m_server.songLink(1)},
                                {QStringLiteral("<b>红豆</b>"), m_server.songLink(2)},
                                {QStringLiteral("无链接"), QStringLiteral("javascript:void(0)")}}));
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(cell(model, 0, DownloadListModel::TitleColumn), QStringLiteral("Rock & Roll"));
    QCOMPARE(cell(model, 1, DownloadListModel::TitleColumn), QStringLiteral("红豆"));
    QCOMPARE(model.data(model.index(1, 0), DownloadListModel::IdRole).toInt(), ids.at(1));
    QVERIFY(cell(model, 2, DownloadListModel::StateColumn).startsWith(QStringLiteral("失败：")));
    QCOMPARE(
        model.data(model.index(0, DownloadListModel::ProgressColumn), DownloadListModel::PercentRole).toInt(),
        0);

    QTRY_COMPARE(panel.text(), t.queue.progress().text());
    QVERIFY(panel.isVisible());
    QSignalSpy clicks(&panel, &DownloadStatusPanel::clicked);
    QTest::mouseClick(&panel, Qt::LeftButton);
    QCOMPARE(clicks.count(), 1);

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
    QTRY_COMPARE(panel.text(), t.queue.progress().text());

    t.queue.cancel(ids.at(0));
    t.queue.cancel(ids.at(2));
    t.queue.clearFinished();
    QTRY_VERIFY(panel.isHidden());
}

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestSongDownloads test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_songdownloads.moc"
