// SPDX-License-Identifier: MIT
// The whole program against the local service, worked by keyboard and mouse: keyword searches,
// a topic crawl, a stop, a refused count.
#include "app/browser/webbrowser.h"
#include "search/crawlcontroller.h"
#include "tests/e2e/e2efixture.h"

#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStringDecoder>
#include <QTest>
#include <QTimer>

using namespace Qorvin;
using namespace Qorvin::Test;

namespace {

QString readResultPage(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringDecoder gbk("GBK");
    return gbk.decode(file.readAll());
}

QString caption(const WindowDriver& driver, const char* name)
{
    const auto* label = qobject_cast<QLabel*>(driver.control(QString::fromLatin1(name)));
    return label ? label->text() : QString();
}

} // namespace

class TestEndToEndCrawl : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void keywordSearchOverSeveralPagesShowsResultPage();
    void topicCrawlByClicks();
    void enterStopsCrawlWithSongsSoFar();
    void enterDuringAPageStopsBetweenTwoRecords();
    void stopBeforeFirstPageReplacesItsLoad();
    void letterCountRefused();
    void keywordWithHashKeepsCrawling();

private:
    ServiceProcess m_service;
    ProgramUnderTest m_program;
};

void TestEndToEndCrawl::initTestCase()
{
    const QString error = m_service.start(serviceProgram());
    QVERIFY2(error.isEmpty(), qPrintable(error));
    m_service.becomeSystemProxy();
}

void TestEndToEndCrawl::init()
{
    m_program.open();
    QFile::remove(QCoreApplication::applicationDirPath() + QStringLiteral("/result.htm"));
}

void TestEndToEndCrawl::cleanup()
{
    m_program.close();
}

void TestEndToEndCrawl::keywordSearchOverSeveralPagesShowsResultPage()
{
    WindowDriver& driver = *m_program.driver;
    driver.startKeywordSearch(QStringLiteral("苏轼"), QStringLiteral("100"));
    QVERIFY(driver.waitForResultShown(CrawlTimeoutMs));

    QCOMPARE(m_service.countRequestsContaining("word=%CB%D5%E9%F8&pn=0 "), 1);
    QVERIFY(m_service.countRequestsContaining("word=%CB%D5%E9%F8&pn=90 ") >= 1);
    QCOMPARE(driver.statusText(), QStringLiteral("本次搜索完成!"));
    QVERIFY(!driver.control(QStringLiteral("Picture2"))->isVisible());
    QVERIFY(driver.browser()->isVisible());

    const QString resultFile = driver.resultFilePath();
    QCOMPARE(resultFile, QCoreApplication::applicationDirPath() + QStringLiteral("/result.htm"));
    const QList<FoundSong> songs = driver.foundSongs();
    QCOMPARE(songs.size(), 100);
    const QString page = readResultPage(resultFile);
    QVERIFY(page.contains(QStringLiteral("苏轼")));
    QStringList titles;
    for (const FoundSong& song : songs) {
        QVERIFY2(page.contains(song.link), qPrintable(song.link));
        // "name - singer", or the name alone as a few of the service's records give it.
        QVERIFY2(song.title.contains(QStringLiteral("苏轼")) || !song.title.contains(QStringLiteral(" - ")),
                 qPrintable(song.title));
        titles.append(song.title);
    }
    // Every title once: a song found again on a later page is skipped.
    titles.removeDuplicates();
    QCOMPARE(titles.size(), 100);
    // The view holds what the file holds.
    QVERIFY(driver.browser()->innerHtml().contains(songs.constFirst().link));
}

void TestEndToEndCrawl::topicCrawlByClicks()
{
    WindowDriver& driver = *m_program.driver;
    driver.typeInto(driver.countBox(), QStringLiteral("5"));
    const qsizetype searchesBefore = m_service.countRequestsContaining("tn=baidump3");
    QVERIFY(driver.clickTopic(8)); // "热门DJ "
    QVERIFY(driver.waitForResultShown(CrawlTimeoutMs));

    QCOMPARE(driver.keywordBox()->text(), QStringLiteral("热门DJ"));
    QCOMPARE(m_service.countRequestsContaining("list.mp3.baidu.com/list/dj.html "), 1);
    const qsizetype searches = m_service.countRequestsContaining("tn=baidump3") - searchesBefore;
    QVERIFY2(searches >= 1 && searches <= 5, qPrintable(QString::number(searches)));
    QVERIFY(driver.foundSongs().size() <= 5);
    QVERIFY(!driver.foundSongs().isEmpty());
    QVERIFY(readResultPage(driver.resultFilePath()).contains(QStringLiteral("热门DJ")));
}

void TestEndToEndCrawl::enterStopsCrawlWithSongsSoFar()
{
    WindowDriver& driver = *m_program.driver;
    driver.startKeywordSearch(QStringLiteral("苏轼"), QStringLiteral("30000"));
    QTRY_VERIFY_WITH_TIMEOUT(!driver.foundSongs().isEmpty(), CrawlTimeoutMs);
    QVERIFY(!driver.resultShown());

    driver.pressEnterInKeywordBox();
    QVERIFY(driver.waitForResultShown(StopAnswerMs));
    QCOMPARE(caption(driver, "Label6"), QStringLiteral("开始搜索"));
    const QList<FoundSong> songs = driver.foundSongs();
    QVERIFY(!songs.isEmpty());
    QVERIFY(songs.size() < 30000);
    const QString page = readResultPage(driver.resultFilePath());
    QVERIFY(page.contains(songs.constLast().link));

    // Nothing more is requested once the crawl stopped.
    const qsizetype requests = m_service.requestLog().size();
    QTest::qWait(500);
    QCOMPARE(m_service.requestLog().size(), requests);
}

void TestEndToEndCrawl::enterDuringAPageStopsBetweenTwoRecords()
{
    WindowDriver& driver = *m_program.driver;
    // Fires in the yields between records: once the page's first record is in, Enter arrives in
    // the keyword box, to be taken at the next yield.
    QTimer enterPoster;
    enterPoster.setInterval(0);
    connect(&enterPoster, &QTimer::timeout, this, [&] {
        if (driver.foundSongs().isEmpty())
            return;
        enterPoster.stop();
        for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease})
            QCoreApplication::postEvent(driver.keywordBox(),
                                        new QKeyEvent(type, Qt::Key_Return, Qt::NoModifier));
    });
    const qsizetype secondPages = m_service.countRequestsContaining("word=%CB%D5%E9%F8&pn=30 ");
    driver.startKeywordSearch(QStringLiteral("苏轼"), QStringLiteral("300"));
    enterPoster.start();
    QVERIFY(driver.waitForResultShown(CrawlTimeoutMs));
    // The service's pages hold 30 records each: the stop ended the first part-way.
    const qsizetype songs = driver.foundSongs().size();
    QVERIFY2(songs >= 1 && songs < 30, qPrintable(QString::number(songs)));
    QCOMPARE(m_service.countRequestsContaining("word=%CB%D5%E9%F8&pn=30 "), secondPages);
    QCOMPARE(caption(driver, "Label6"), QStringLiteral("开始搜索"));
}

void TestEndToEndCrawl::stopBeforeFirstPageReplacesItsLoad()
{
    WindowDriver& driver = *m_program.driver;
    QSignalSpy pageEvents(driver.browser(), &WebBrowser::DocumentComplete);
    driver.startKeywordSearch(QStringLiteral("stopped-at-once"), QStringLiteral("30"));
    driver.pressEnterInKeywordBox();
    QVERIFY(driver.waitForResultShown(StopAnswerMs));
    QTest::qWait(500);
    // Only the result page completed: the search page it replaced raised nothing.
    QCOMPARE(pageEvents.count(), 1);
    QVERIFY(driver.foundSongs().isEmpty());
    QCOMPARE(m_service.countRequestsContaining("word=stopped-at-once&pn=30"), 0);
    QVERIFY(QFile::exists(driver.resultFilePath()));
}

void TestEndToEndCrawl::letterCountRefused()
{
    WindowDriver& driver = *m_program.driver;
    const qsizetype requests = m_service.requestLog().size();
    driver.startKeywordSearch(QStringLiteral("苏轼"), QStringLiteral("abc"));
    QTest::qWait(500);
    // The window's focus, whether or not a window manager has made the window active.
    QCOMPARE(m_program.window->focusWidget(), driver.countBox());
    QCOMPARE(caption(driver, "Label6"), QStringLiteral("开始搜索"));
    QVERIFY(driver.browser()->documentUrl().isEmpty());
    QCOMPARE(m_service.requestLog().size(), requests);
    QVERIFY(!QFile::exists(QCoreApplication::applicationDirPath() + QStringLiteral("/result.htm")));
}

void TestEndToEndCrawl::keywordWithHashKeepsCrawling()
{
    // "#" starts the fragment: the service sees "苏轼" alone, and every further page differs from
    // the first only after the "#". The engine does not load those again, yet each still counts
    // as a completed page, so the crawl moves on instead of waiting for ever.
    WindowDriver& driver = *m_program.driver;
    driver.startKeywordSearch(QStringLiteral("苏轼#x"), QStringLiteral("60"));
    const CrawlState& state = m_program.window->controller().state();
    QTRY_VERIFY_WITH_TIMEOUT(state.PageOffset >= 300 || driver.resultShown(), CrawlTimeoutMs);
    // The service's log comes through a pipe of its own and may trail the page it logs.
    QTRY_COMPARE_WITH_TIMEOUT(m_service.countRequestsContaining("word=%CB%D5%E9%F8 "), 1, StopAnswerMs);
    QCOMPARE(m_service.countRequestsContaining("#"), 0);

    if (!driver.resultShown()) {
        driver.pressEnterInKeywordBox();
        QVERIFY(driver.waitForResultShown(StopAnswerMs));
    }
    // All from the one page the service sent.
    QVERIFY(!driver.foundSongs().isEmpty());
    QVERIFY(driver.foundSongs().size() <= 30);
}

int main(int argc, char** argv)
{
    return runEndToEnd<TestEndToEndCrawl>(argc, argv);
}

#include "tst_e2e_crawl.moc"
