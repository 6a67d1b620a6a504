// SPDX-License-Identifier: MIT
// WebBrowser1 against the real engine, offscreen, with a recording proxy standing in for the
// service's hosts.
#include "app/browser/webbrowser.h"
#include "resultpage/resultpagewriter.h"
#include "scrape/scrapers.h"
#include "tests/browser/recordingproxy.h"

#include <QApplication>
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QStringDecoder>
#include <QTest>

#include <memory>

using namespace Qorvin;
using namespace Qt::StringLiterals;
using Qorvin::Test::RecordingProxy;

namespace {

// Long enough for the engine to raise an event it should not; the slow page answers after 1.5 s.
constexpr int SettleMs = 2000;
constexpr int LoadTimeoutMs = 20000;

QString searchUrl(const QString& keyword, int offset)
{
    return QStringLiteral("http://mp3.baidu.com/"
                          "m?z=0&cl=3&ct=134217728&sn=&lm=0&cm=1&sc=1&bu=&rn=30&tn=baidump3&word=") +
           keyword + QStringLiteral("&pn=") + QString::number(offset);
}

} // namespace

class TestWebBrowser : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void queryReachesServiceInGbk();
    void hiddenBrowserLoadsPageWithLegacyAnchors();
    void charactersOutsideGbkReachResultPage();
    void undeclaredCharsetIsReadFromTheBytes_data();
    void undeclaredCharsetIsReadFromTheBytes();
    void framesRaiseNoEventOfTheirOwn();
    void replacedNavigationRaisesNoEvent_data();
    void replacedNavigationRaisesNoEvent();
    void failedLoadRaisesOneEvent_data();
    void failedLoadRaisesOneEvent();
    void unansweredRequestWaitsUntilReplaced();
    void moveWithinDocumentRaisesOneEvent_data();
    void moveWithinDocumentRaisesOneEvent();
    void localPageRunsNoScriptAndReachesNothing();

private:
    bool navigateAndWait(const QString& url);

    RecordingProxy m_proxy;
    std::unique_ptr<WebBrowser> m_browser;
    std::unique_ptr<QSignalSpy> m_events;
};

void TestWebBrowser::initTestCase()
{
    QVERIFY(m_proxy.listen(QHostAddress::LocalHost));
    // The engine reads the proxy from the environment when its network starts, at the first page.
    const QByteArray proxy = "http://127.0.0.1:" + QByteArray::number(m_proxy.serverPort());
    qputenv("http_proxy", proxy);
    qputenv("HTTP_PROXY", proxy);
    qunsetenv("no_proxy");
    qunsetenv("NO_PROXY");
}

void TestWebBrowser::init()
{
    m_browser = std::make_unique<WebBrowser>();
    m_browser->resize(800, 600);
    m_browser->show();
    m_events = std::make_unique<QSignalSpy>(m_browser.get(), &WebBrowser::DocumentComplete);
    m_proxy.clearTargets();
}

void TestWebBrowser::cleanup()
{
    m_events.reset();
    m_browser.reset();
}

bool TestWebBrowser::navigateAndWait(const QString& url)
{
    const qsizetype before = m_events->count();
    m_browser->Navigate(url);
    return m_events->count() > before || m_events->wait(LoadTimeoutMs);
}

void TestWebBrowser::queryReachesServiceInGbk()
{
    QVERIFY(navigateAndWait(searchUrl(QStringLiteral("苏轼 a&b#frag"), 0)));
    QCOMPARE(m_proxy.countContaining("/m?"), 1);
    const QByteArray sent = m_proxy.targets().constFirst();
    QVERIFY2(sent.endsWith("&word=%CB%D5%E9%F8%20a&b"), sent.constData());
    QVERIFY(!sent.contains('#'));
    QVERIFY(!sent.contains("frag"));
}

void TestWebBrowser::hiddenBrowserLoadsPageWithLegacyAnchors()
{
    // During a crawl the browser may be hidden or covered; pages load all the same.
    m_browser->setVisible(false);
    QVERIFY(navigateAndWait(searchUrl(QStringLiteral("苏轼"), 30)));
    const QString html = m_browser->innerHtml();
    QVERIFY2(html.contains(QStringLiteral("_blank>")), qPrintable(html));
    QVERIFY(html.contains(QStringLiteral("</A>")));
    // The page came in GB2312 and reads as Unicode.
    QVERIFY(html.contains(QStringLiteral("苏轼 水调歌头</A>")));
    QVERIFY(html.contains(QStringLiteral("word=%CB%D5%E9%F8&amp;pn=30")));
    QVERIFY(!html.startsWith(QStringLiteral("<HTML"), Qt::CaseInsensitive));
}

void TestWebBrowser::charactersOutsideGbkReachResultPage()
{
    // The engine, the serializer, the scraper and the writer in a row: a link and a title holding
    // characters GBK lacks, beyond the 16-bit range, come out as references to their code points.
    QVERIFY(navigateAndWait(QStringLiteral("http://mp3.baidu.com/record")));
    CrawlState state;
    state.WantedCount = 30;
    state.Text1.set(m_browser->innerHtml());
    SearchResultScraper(state, ScrapeEnv{[](const QString&) {}, [] {}});
    QCOMPARE(state.List2, QStringList{u"http://music.localservice.example/x/\U00020000.mp3"_s});
    QCOMPARE(state.List1.items(), QStringList{u"\U0001F3B5 歌"_s});

    const QByteArray page = resultPageBytes(u"k"_s, state.List1.items(), state.List2);
    const QByteArray link = "http://music.localservice.example/x/&#131072;.mp3";
    QVERIFY2(page.contains("<a href='" + link + "'> \r\n&#127925; "), page.constData()); // the anchor
    QVERIFY(page.contains("<TD class=t> " + link + "\r\n"));                             // the address text
}

void TestWebBrowser::undeclaredCharsetIsReadFromTheBytes_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("text");
    // The command line decodes such pages by the same rule: GBK bytes as GB18030, UTF-8 bytes as
    // windows-1252, never as UTF-8.
    QTest::newRow("GBK bytes") << u"nocharset-gbk"_s << u"苏轼 水调歌头 明月几时有"_s;
    QTest::newRow("UTF-8 bytes") << u"nocharset-utf8"_s
                                 << QString(QStringDecoder("windows-1252").decode(u"水调歌头"_s.toUtf8()));
}

void TestWebBrowser::undeclaredCharsetIsReadFromTheBytes()
{
    QFETCH(QString, path);
    QFETCH(QString, text);
    QVERIFY(navigateAndWait(u"http://mp3.baidu.com/"_s + path));
    const QString html = m_browser->innerHtml();
    QVERIFY2(html.contains(text), qPrintable(html));
}

void TestWebBrowser::framesRaiseNoEventOfTheirOwn()
{
    QVERIFY(navigateAndWait(QStringLiteral("http://mp3.baidu.com/frames")));
    QTest::qWait(SettleMs);
    QCOMPARE(m_events->count(), 1);
    QCOMPARE(m_proxy.countContaining("/frame1"), 1);
    QCOMPARE(m_proxy.countContaining("/frame2"), 1);
}

void TestWebBrowser::replacedNavigationRaisesNoEvent_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<int>("gapMs");
    QTest::newRow("slow page replaced at once") << QStringLiteral("http://mp3.baidu.com/slow-a")
                                                << QStringLiteral("http://mp3.baidu.com/page-b") << 0;
    QTest::newRow("slow page replaced while it loads")
        << QStringLiteral("http://mp3.baidu.com/slow-a") << QStringLiteral("http://mp3.baidu.com/page-b")
        << 300;
    QTest::newRow("fast page replaced by a slow one") << QStringLiteral("http://mp3.baidu.com/page-a")
                                                      << QStringLiteral("http://mp3.baidu.com/slow-b") << 0;
    QTest::newRow("same address twice") << QStringLiteral("http://mp3.baidu.com/slow-b")
                                        << QStringLiteral("http://mp3.baidu.com/slow-b") << 100;
}

void TestWebBrowser::replacedNavigationRaisesNoEvent()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(int, gapMs);

    m_browser->Navigate(first);
    if (gapMs > 0)
        QTest::qWait(gapMs);
    QCOMPARE(m_events->count(), 0);
    QVERIFY(navigateAndWait(second));
    QTest::qWait(SettleMs);
    QCOMPARE(m_events->count(), 1);
    const QString secondPath = QUrl(second).path();
    QVERIFY2(m_browser->innerHtml().contains(secondPath), qPrintable(m_browser->innerHtml()));
}

void TestWebBrowser::failedLoadRaisesOneEvent_data()
{
    QTest::addColumn<bool>("serviceDown");
    QTest::addColumn<QString>("url");
    QTest::newRow("server error 500") << false << QStringLiteral("http://mp3.baidu.com/fail500");
    QTest::newRow("service down") << true << searchUrl(QStringLiteral("abc"), 0);
}

void TestWebBrowser::failedLoadRaisesOneEvent()
{
    QFETCH(bool, serviceDown);
    QFETCH(QString, url);

    const quint16 port = m_proxy.serverPort();
    if (serviceDown)
        m_proxy.close();
    const bool raised = navigateAndWait(url);
    if (serviceDown)
        QVERIFY(m_proxy.listen(QHostAddress::LocalHost, port));
    QVERIFY(raised);
    QTest::qWait(SettleMs / 2);
    QCOMPARE(m_events->count(), 1);
    QVERIFY(!m_browser->innerHtml().contains(QStringLiteral("_blank>")));
}

void TestWebBrowser::unansweredRequestWaitsUntilReplaced()
{
    m_browser->Navigate(QStringLiteral("http://mp3.baidu.com/hang"));
    QVERIFY(!m_events->wait(SettleMs));
    QVERIFY(navigateAndWait(QStringLiteral("http://mp3.baidu.com/after-silence")));
    QTest::qWait(SettleMs / 2);
    QCOMPARE(m_events->count(), 1);
    QVERIFY(m_browser->innerHtml().contains(QStringLiteral("after-silence")));
}

void TestWebBrowser::moveWithinDocumentRaisesOneEvent_data()
{
    QTest::addColumn<QList<int>>("offsets");
    QTest::addColumn<int>("requestsSent");
    // A keyword holding "#": the next page's address differs from this one only after the "#",
    // which the engine treats as a move inside the page on view, with no request.
    QTest::newRow("next pages") << QList<int>{0, 30, 60} << 1;
    // The address on view, exactly, asked for again: the engine loads it once more.
    QTest::newRow("same page again") << QList<int>{0, 0} << 2;
    QTest::newRow("moved-to page again") << QList<int>{0, 30, 30} << 2;
}

void TestWebBrowser::moveWithinDocumentRaisesOneEvent()
{
    // The crawl needs one event for every request all the same.
    QFETCH(QList<int>, offsets);
    QFETCH(int, requestsSent);
    for (const int offset : std::as_const(offsets))
        QVERIFY(navigateAndWait(searchUrl(QStringLiteral("C#"), offset)));
    QTest::qWait(SettleMs / 2);
    QCOMPARE(m_events->count(), offsets.size());
    QCOMPARE(m_proxy.targets().size(), requestsSent);
    QVERIFY(m_browser->innerHtml().contains(QStringLiteral("_blank>")));
    for (const QByteArray& target : m_proxy.targets())
        QVERIFY(!target.contains('#'));
}

void TestWebBrowser::localPageRunsNoScriptAndReachesNothing()
{
    // The control: served from the web, the same script does run.
    QVERIFY(navigateAndWait(QStringLiteral("http://mp3.baidu.com/script")));
    QVERIFY2(m_browser->innerHtml().contains(QStringLiteral("data-ran=yes")),
             qPrintable(m_browser->innerHtml()));

    QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/结果 XXXXXX"));
    QVERIFY(folder.isValid());
    QFile page(folder.filePath(QStringLiteral("result.htm")));
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.write(QStringLiteral("<html><head><title><script>document.title='x'</script></title></head><body>"
                              "<a href=\"http://music.localservice.example/1.mp3\" target=_blank>"
                              "<script>document.body.setAttribute('data-ran','yes')</script></a>"
                              "<img src=\"http://mp3.baidu.com/leak.gif\">"
                              "<iframe src=\"file:///etc/hostname\"></iframe></body></html>")
                   .toUtf8());
    page.close();

    // The controller's own form: "file:///" + folder + "\result.htm".
    QVERIFY(navigateAndWait(QStringLiteral("file:///") + folder.path() + QStringLiteral("\\result.htm")));
    const QString html = m_browser->innerHtml();
    QVERIFY2(html.contains(QStringLiteral("_blank>")), qPrintable(html));
    QVERIFY(!html.contains(QStringLiteral("data-ran=yes")));
    QVERIFY(!html.contains(QStringLiteral("<TITLE>x")));
    QVERIFY(m_browser->documentUrl().isLocalFile());
    QTest::qWait(SettleMs / 2);
    QCOMPARE(m_proxy.countContaining("leak"), 0);
    QCOMPARE(m_events->count(), 2);
}

int main(int argc, char** argv)
{
    // The engine shares its GL contexts with Qt's; this must be said before the application exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestWebBrowser test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_webbrowser.moc"
