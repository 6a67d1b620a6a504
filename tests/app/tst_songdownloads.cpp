// SPDX-License-Identifier: MIT
// Downloading from the result view against the real engine, offscreen: the song links read from
// the page, the context menu, a left click on a link, and the question before quitting.
#include "downloadfolder.h"
#include "downloadqueue.h"
#include "downloadstatuspanel.h"
#include "downloadswindow.h"
#include "frmmain.h"
#include "hosts.h"
#include "resultpagewriter.h"
#include "resultsonglinks.h"
#include "songdownloads.h"
#include "songlinktext.h"
#include "webbrowser.h"

#include <QAbstractButton>
#include <QApplication>
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
};

// The result view alone: a browser in a window with a status bar, and the downloads over it.
struct ResultViewUnderTest
{
    QueueUnderTest t;
    QWidget window;
    WebBrowser* browser = new WebBrowser(&window);
    QStatusBar* bar = new QStatusBar(&window);
    QList<QUrl> elsewhere;
    QList<QUrl> folders;
    SongDownloads* downloads = nullptr;

    ResultViewUnderTest()
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(browser, 1);
        layout->addWidget(bar);
        downloads = new SongDownloads(
            t.queue, *browser, *bar, window, [] { return QStringLiteral(" 测试 "); },
            [this](const QUrl& url) { elsewhere.append(url); });
        downloads->setFolderOpener([this](const QUrl& folder) { folders.append(folder); });
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
    QList<SongLink> songLinks()
    {
        QList<SongLink> links;
        bool answered = false;
        browser->readPage(songLinksScript(), [&](const QVariant& value) {
            links = songLinksFromScriptValue(value);
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
    void rightClickOnPageOffersMenu();
    void downloadAllQueuesPageOnce();
    void leftClickOnLink_data();
    void leftClickOnLink();
    void openDownloadFolder();
    void quitQuestion_data();
    void quitQuestion();

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

    QTest::newRow("plain") << QStringLiteral("红豆 - 王菲") << QStringLiteral("http://h.example/1.mp3")
                           << QStringLiteral("红豆 - 王菲") << QUrl(QStringLiteral("http://h.example/1.mp3"));
    QTest::newRow("references") << QStringLiteral("Rock &amp; Roll")
                                << QStringLiteral("http://h.example/r&amp;b/a.mp3")
                                << QStringLiteral("Rock & Roll")
                                << QUrl(QStringLiteral("http://h.example/r&b/a.mp3"));
    QTest::newRow("bare ampersand") << QStringLiteral("A&B")
                                    << QStringLiteral("http://h.example/a.mp3?x=1&y=2")
                                    << QStringLiteral("A&B")
                                    << QUrl(QStringLiteral("http://h.example/a.mp3?x=1&y=2"));
    QTest::newRow("tags in the title")
        << QStringLiteral("<b>红</b>豆") << QStringLiteral("http://h.example/2.mp3") << QStringLiteral("红豆")
        << QUrl(QStringLiteral("http://h.example/2.mp3"));
    QTest::newRow("chinese address") << QStringLiteral("歌") << QStringLiteral("http://h.example/歌曲.mp3")
                                     << QStringLiteral("歌")
                                     << QUrl(QStringLiteral("http://h.example/%E6%AD%8C%E6%9B%B2.mp3"));
    // A title that opens a link of its own ends the song's link early; the song keeps its address.
    QTest::newRow("anchor in the title")
        << QStringLiteral("x<a href='http://evil.example/'>y</a>") << QStringLiteral("http://h.example/3.mp3")
        << QStringLiteral("x") << QUrl(QStringLiteral("http://h.example/3.mp3"));
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
    const QList<SongLink> links = view.songLinks();
    QCOMPARE(links.size(), 3); // the maker's link in the notice is no song
    QCOMPARE(plainTitle(links.at(0).titleHtml), QStringLiteral("前"));
    QCOMPARE(plainTitle(links.at(1).titleHtml), plain);
    QCOMPARE(songAddress(links.at(1).hrefHtml), address);
    QCOMPARE(songAddress(links.at(2).hrefHtml), QUrl(QStringLiteral("http://h.example/9.mp3")));
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

void TestSongDownloads::rightClickOnPageOffersMenu()
{
    ResultViewUnderTest view;
    QVERIFY(view.show(
        "<html><body style='margin:0'><table><tr><td class=d1><a href='" + m_server.songLink(5).toUtf8() +
        "' style='display:block;width:300px;height:200px'>song</a></td></tr></table></body></html>"));
    QTest::mouseClick(view.surface(), Qt::RightButton, Qt::NoModifier, QPoint(50, 50));
    QTRY_VERIFY_WITH_TIMEOUT(view.downloads->contextMenu(), PageTimeoutMs);
    QVERIFY(actionTexts(view.downloads->contextMenu()).contains(QStringLiteral("下载此歌曲")));
}

void TestSongDownloads::downloadAllQueuesPageOnce()
{
    ResultViewUnderTest view;
    const QStringList links{m_server.songLink(1), m_server.songLink(2), m_server.songLink(3)};
    QVERIFY(view.showResultPage({QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三")}, links));

    for (int round = 0; round < 2; ++round) {
        emit view.browser->contextMenuRequested(QPoint(40, 40), QUrl());
        QTRY_VERIFY_WITH_TIMEOUT(view.downloads->contextMenu(), PageTimeoutMs);
        actionNamed(view.downloads->contextMenu(), QStringLiteral("下载全部链接"))->trigger();
        view.downloads->contextMenu()->close();
        QTRY_VERIFY(!view.downloads->contextMenu());
    }
    // The second time finds every song queued already.
    const QList<DownloadItem> items = view.t.queue.items();
    QCOMPARE(items.size(), 3);
    const QString folder = batchFolder(QStringLiteral("测试"));
    for (qsizetype i = 0; i < items.size(); ++i) {
        QCOMPARE(items.at(i).url, QUrl(links.at(i)));
        QCOMPARE(QFileInfo(items.at(i).targetPath).absolutePath(), folder);
    }
    QVERIFY(view.downloads->downloadsWindow()->isVisible());
    QCOMPARE(view.downloads->statusPanel()->text(), view.t.queue.progress().text());
}

void TestSongDownloads::leftClickOnLink_data()
{
    QTest::addColumn<QString>("cellClass");
    QTest::addColumn<bool>("downloaded");
    QTest::newRow("song link") << QStringLiteral("d1") << true;
    QTest::newRow("other site") << QStringLiteral("t") << false;
}

void TestSongDownloads::leftClickOnLink()
{
    QFETCH(QString, cellClass);
    QFETCH(bool, downloaded);

    ResultViewUnderTest view;
    const QString link = m_server.songLink(7);
    QVERIFY(view.show(
        "<html><body style='margin:0'><table><tr><td class=" + cellClass.toUtf8() + "><a href='" +
        link.toUtf8() +
        "' style='display:block;width:300px;height:200px'>song</a></td></tr></table></body></html>"));
    QTest::mouseClick(view.surface(), Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
    QTRY_VERIFY_WITH_TIMEOUT(view.t.queue.items().size() + view.elsewhere.size() > 0, PageTimeoutMs);
    QTest::qWait(200);
    QCOMPARE(view.t.queue.items().size(), downloaded ? 1 : 0);
    QCOMPARE(view.elsewhere, downloaded ? QList<QUrl>{} : QList<QUrl>{QUrl(link)});
}

void TestSongDownloads::openDownloadFolder()
{
    ResultViewUnderTest view;
    QVERIFY(view.showResultPage({}, {}));
    emit view.browser->contextMenuRequested(QPoint(40, 40), QUrl());
    QTRY_VERIFY_WITH_TIMEOUT(view.downloads->contextMenu(), PageTimeoutMs);
    actionNamed(view.downloads->contextMenu(), QStringLiteral("打开下载文件夹"))->trigger();
    // Before any song of the keyword arrived, its folder is not there yet; the base folder is.
    QCOMPARE(view.folders, QList<QUrl>{QUrl::fromLocalFile(downloadBaseFolder())});
    QVERIFY(QFileInfo(downloadBaseFolder()).isDir());
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
        t.queue.add({{QStringLiteral("歌"), m_server.songLink(1)}}, t.folder.path(), QStringLiteral("歌"));

    QString asked;
    if (answer != QMessageBox::NoButton)
        answerNextMessageBox(QMessageBox::StandardButton(answer), &asked);
    QCOMPARE(window->close(), closes);
    QCOMPARE(asked, downloading ? QStringLiteral("下载尚未完成，确定退出？") : QString());
    QCOMPARE(window->isVisible(), !closes);
    // Only a window that really closes sends the user to the maker's home page.
    QCOMPARE(opened.contains(makerHomeUrl()), closes);

    if (downloading && closes) {
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

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestSongDownloads test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_songdownloads.moc"
