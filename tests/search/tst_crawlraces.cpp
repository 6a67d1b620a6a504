// SPDX-License-Identifier: MIT
// Clicks and page loads that land while the controller or a scraper yields: the stop that the
// readers honour after the yield, a crawl taken over mid-step, a nested page-loaded event, and
// random events at random yields against the invariants of the crawl state.
#include "search/topictable.h"
#include "tests/search/crawlrig.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Qorvin;
using namespace Qorvin::Test;

namespace {

std::function<QString(const QString&)> djServer()
{
    return topicServer(topicListPage(QStringLiteral("热门DJ"), TopicNames));
}

// Runs action once, at the first yield where ready() holds.
void atFirstYieldWhere(CrawlRig& rig, std::function<bool()> ready, std::function<void()> action)
{
    auto fired = std::make_shared<bool>(false);
    rig.window.onYield = [fired, ready = std::move(ready), action = std::move(action)](int) {
        if (!*fired && ready()) {
            *fired = true;
            action();
        }
    };
}

} // namespace

class TestCrawlRaces : public QObject
{
    Q_OBJECT

private slots:
    void stopInsideSearchResultScraperFinishesTwice();
    void stopDuringDispatcherYields_data();
    void stopDuringDispatcherYields();
    void stopDuringTopicListScraper();
    void topicClickDuringKeywordSearch_data();
    void topicClickDuringKeywordSearch();
    void returnAndNewStartDuringCrawl();
    void newestStartOwnsTheCrawl_data();
    void newestStartOwnsTheCrawl();
    void nestedPageLoadedEvent_data();
    void nestedPageLoadedEvent();
    void randomEventsKeepInvariants_data();
    void randomEventsKeepInvariants();
};

void TestCrawlRaces::stopInsideSearchResultScraperFinishesTwice()
{
    CrawlRig rig;
    rig.serve = keywordServer(5);
    rig.start(QStringLiteral("abc"));
    const CrawlState& state = rig.state();
    atFirstYieldWhere(
        rig, [&] { return state.List1.count() == 2; }, [&] { rig.controller.startStopClicked(); });
    rig.loadPending();

    // The scraper stops at its next check; the dispatcher then finds SearchDone and finishes
    // again, writing and requesting the same page once more.
    QCOMPARE(state.List1.count(), 2);
    QCOMPARE(state.FoundCount, 2);
    QCOMPARE(rig.browser.requests,
             (QStringList{resultPageRequest(QStringLiteral("abc"), 0), rig.resultUrl(), rig.resultUrl()}));
    QCOMPARE(rig.log.count(QStringLiteral("panel:本次搜索完成!")), 2);
    QCOMPARE(rig.resultRows(), 2);
    QCOMPARE(state.SearchMode, ModeStopped);
    QVERIFY(state.QueryUrl.isEmpty());
    QCOMPARE(rig.window.caption, startCaption());
    QVERIFY(!rig.window.searchPanelVisible);
}

void TestCrawlRaces::stopDuringDispatcherYields_data()
{
    QTest::addColumn<int>("stopAtYield");
    QTest::addColumn<bool>("nextPageRequested");
    // A page without records: the dispatcher yields after reading it, before and after asking
    // for the next page.
    QTest::newRow("after reading the page") << 1 << false;
    QTest::newRow("before the next request") << 2 << false;
    QTest::newRow("after the next request") << 3 << true;
}

void TestCrawlRaces::stopDuringDispatcherYields()
{
    QFETCH(int, stopAtYield);
    QFETCH(bool, nextPageRequested);

    CrawlRig rig;
    rig.serve = keywordServer(0);
    rig.start(QStringLiteral("abc"));
    rig.window.yields = 0;
    rig.window.onYield = [&](int n) {
        if (n == stopAtYield)
            rig.controller.startStopClicked();
    };
    rig.loadPending();

    QStringList expected{resultPageRequest(QStringLiteral("abc"), 0)};
    if (nextPageRequested)
        expected << resultPageRequest(QStringLiteral("abc"), 30);
    expected << rig.resultUrl();
    QCOMPARE(rig.browser.requests, expected);
    QCOMPARE(rig.state().SearchMode, ModeStopped);
    QVERIFY(rig.state().QueryUrl.isEmpty());
    QCOMPARE(rig.state().PageOffset, qint16(nextPageRequested ? 30 : 0));
    // The local page was requested last, so it is the one that loads, and it is ignored.
    rig.window.onYield = nullptr;
    QCOMPARE(rig.loadUntilIdle(), 1);
    QCOMPARE(rig.browser.requests, expected);
}

void TestCrawlRaces::stopDuringTopicListScraper()
{
    CrawlRig rig;
    rig.serve = djServer();
    rig.controller.topicClicked(8);
    const CrawlState& state = rig.state();
    atFirstYieldWhere(
        rig, [&] { return state.List3.size() == 1; }, [&] { rig.controller.startStopClicked(); });
    rig.loadPending();

    QCOMPARE(state.List3, QStringList{QStringLiteral("Alpha")});
    QCOMPARE(state.SearchMode, ModeStopped);
    QVERIFY(state.QueryUrl.isEmpty());
    QCOMPARE(rig.browser.requests,
             (QStringList{QStringLiteral("http://list.mp3.baidu.com/list/dj.html#top10"), rig.resultUrl()}));
    QCOMPARE(rig.resultRows(), 0);
    rig.loadUntilIdle();
    QVERIFY(!rig.browser.requests.contains(QStringLiteral("http://www.tavrel.example")));
}

void TestCrawlRaces::topicClickDuringKeywordSearch_data()
{
    QTest::addColumn<bool>("afterNextRequest");
    QTest::newRow("before the next request") << false;
    QTest::newRow("after the next request") << true;
}

void TestCrawlRaces::topicClickDuringKeywordSearch()
{
    QFETCH(bool, afterNextRequest);

    CrawlRig rig;
    rig.serve = [](const QString& url) {
        if (const std::optional<QueryRequest> query = parseQueryRequest(url); query && query->word == u"kw")
            return keywordResultPage(songsOf(QStringLiteral("kw"), query->offset, 3));
        return djServer()(url);
    };
    rig.start(QStringLiteral("kw"));
    // The click lands in one of the dispatcher's two yields around the next request; the
    // scraper has read the keyword page by then.
    rig.window.yields = 0;
    rig.window.onYield = [&](int n) {
        if (n == (afterNextRequest ? 9 : 8))
            rig.controller.topicClicked(8);
    };
    rig.loadPending();
    QStringList expected{resultPageRequest(QStringLiteral("kw"), 0)};
    if (afterNextRequest)
        expected << resultPageRequest(QStringLiteral("kw"), 30);
    expected << QStringLiteral("http://list.mp3.baidu.com/list/dj.html#top10");
    QCOMPARE(rig.browser.requests, expected);
    QCOMPARE(rig.state().List1.count(), 0);
    QCOMPARE(rig.state().SearchMode, ModeTopicList);
    QCOMPARE(rig.state().QueryUrl, QStringLiteral("_blank"));

    // The topic crawl runs on its own, without the keyword search's songs.
    rig.window.onYield = nullptr;
    rig.loadUntilIdle();
    QCOMPARE(rig.state().List1.items(),
             (QStringList{QStringLiteral("Alpha0 - Singer"), QStringLiteral("Beta0 - Singer"),
                          QStringLiteral("Gamma0 - Singer")}));
    QCOMPARE(rig.browser.requests.last(), rig.resultUrl());
    QCOMPARE(rig.resultRows(), 3);
}

void TestCrawlRaces::returnAndNewStartDuringCrawl()
{
    CrawlRig rig;
    rig.serve = keywordServer(4);
    rig.start(QStringLiteral("abc"));
    // Label7 while the crawl runs: the label offers a start again, and a start takes over.
    atFirstYieldWhere(
        rig, [&] { return rig.browser.requests.last() == resultPageRequest(QStringLiteral("abc"), 30); },
        [&] {
            rig.window.returnToSearchHome();
            QCOMPARE(rig.window.caption, startCaption());
            QVERIFY(!rig.state().QueryUrl.isEmpty());
            rig.start(QStringLiteral("def"), QStringLiteral("6"));
        });
    rig.loadPending();
    QCOMPARE(rig.browser.requests, (QStringList{resultPageRequest(QStringLiteral("abc"), 0),
                                                resultPageRequest(QStringLiteral("abc"), 30),
                                                resultPageRequest(QStringLiteral("def"), 0)}));
    QCOMPARE(rig.state().List1.count(), 0);
    QCOMPARE(rig.state().PageOffset, qint16(0));
    QCOMPARE(rig.state().WantedCount, 6);
    QCOMPARE(rig.window.caption, stopCaption());

    rig.window.onYield = nullptr;
    rig.loadUntilIdle();
    QCOMPARE(rig.state().List1.count(), 6);
    QCOMPARE(rig.state().List1.at(0), QStringLiteral("def0 - Singer"));
    QCOMPARE(rig.browser.requests.mid(3),
             (QStringList{resultPageRequest(QStringLiteral("def"), 30), rig.resultUrl()}));
}

void TestCrawlRaces::newestStartOwnsTheCrawl_data()
{
    QTest::addColumn<bool>("topicFirst"); // the first crawl: topic 热门DJ, or a keyword search
    QTest::addColumn<QString>("during");  // where the first crawl is when the click lands
    QTest::addColumn<QString>("click");   // a keyword start, a topic click or a stop
    QTest::addColumn<QStringList>("songs");

    const QStringList fresh{QStringLiteral("new0 - Singer"),  QStringLiteral("new1 - Singer"),
                            QStringLiteral("new2 - Singer"),  QStringLiteral("new30 - Singer"),
                            QStringLiteral("new31 - Singer"), QStringLiteral("new32 - Singer")};
    const QStringList topic{QStringLiteral("Alpha0 - Singer"), QStringLiteral("Beta0 - Singer"),
                            QStringLiteral("Gamma0 - Singer")};
    QTest::newRow("keyword start, dispatcher yield") << false << "dispatcher"
                                                     << "keyword" << fresh;
    QTest::newRow("keyword start, list scraper") << true << "list"
                                                 << "keyword" << fresh;
    QTest::newRow("topic click, keyword scraper") << false << "scraper"
                                                  << "topic" << topic;
    QTest::newRow("topic click, link locator") << true << "locator"
                                               << "topic" << topic;
    QTest::newRow("stop, the start's own yield") << false << "start"
                                                 << "stop" << QStringList();
}

void TestCrawlRaces::newestStartOwnsTheCrawl()
{
    QFETCH(bool, topicFirst);
    QFETCH(QString, during);
    QFETCH(QString, click);
    QFETCH(QStringList, songs);

    CrawlRig rig;
    // Three songs per keyword page, numbered by offset; a topic name's page holds two.
    rig.serve = [](const QString& url) {
        const std::optional<QueryRequest> query = parseQueryRequest(url);
        if (query && !TopicNames.contains(query->word))
            return keywordResultPage(songsOf(query->word, query->offset, 3));
        return djServer()(url);
    };
    const CrawlState& state = rig.state();
    int yieldsWithThreeSongs = 0;
    const std::function<bool()> ready = [&] {
        if (during == u"start")
            return rig.window.yields == 1;
        if (during == u"scraper")
            return state.List1.count() == 2;
        // The scraper pumps twice after the third song; then the dispatcher yields.
        if (during == u"dispatcher")
            return state.List1.count() == 3 && ++yieldsWithThreeSongs == 3;
        if (during == u"list")
            return state.List3.size() == 1;
        return state.SearchMode == ModeTopicWalk && state.List1.count() == 1;
    };
    atFirstYieldWhere(rig, ready, [&] {
        if (click == u"keyword") {
            rig.window.returnToSearchHome();
            rig.start(QStringLiteral("new"), QStringLiteral("6"));
        } else if (click == u"topic") {
            rig.controller.topicClicked(8);
        } else {
            rig.controller.startStopClicked();
        }
    });
    rig.window.yields = 0;
    if (topicFirst)
        rig.controller.topicClicked(8);
    else
        rig.start(QStringLiteral("kw"));
    rig.loadUntilIdle();

    QCOMPARE(state.List1.items(), songs);
    QCOMPARE(state.List2.size(), songs.size());
    QCOMPARE(rig.browser.requests.last(), rig.resultUrl());
    QCOMPARE(rig.resultRows(), songs.size());
    QVERIFY(state.QueryUrl.isEmpty());
}

void TestCrawlRaces::nestedPageLoadedEvent_data()
{
    QTest::addColumn<QString>("count");
    QTest::addColumn<QStringList>("requestsAfter");
    QTest::addColumn<int>("songs");
    // The nested run scrapes the page and asks for the next one; the outer run then finds the
    // same page again, takes nothing new from it and asks for the page after that.
    QTest::newRow("both ask for more") << "30"
                                       << QStringList{resultPageRequest(QStringLiteral("abc"), 30),
                                                      resultPageRequest(QStringLiteral("abc"), 60)}
                                       << 5;
    // The nested run reaches the count and finishes; the outer run finds SearchDone and finishes again.
    QTest::newRow("nested run finishes")
        << "5" << QStringList{QStringLiteral("result"), QStringLiteral("result")} << 5;
}

void TestCrawlRaces::nestedPageLoadedEvent()
{
    QFETCH(QString, count);
    QFETCH(QStringList, requestsAfter);
    QFETCH(int, songs);

    CrawlRig rig;
    rig.serve = keywordServer(5);
    rig.start(QStringLiteral("abc"), count);
    rig.window.yields = 0;
    rig.window.onYield = [&](int n) {
        if (n == 1)
            rig.loadAgain();
    };
    rig.loadPending();

    QStringList expected{resultPageRequest(QStringLiteral("abc"), 0)};
    for (const QString& request : requestsAfter)
        expected << (request == u"result" ? rig.resultUrl() : request);
    QCOMPARE(rig.browser.requests, expected);
    QCOMPARE(rig.state().List1.count(), songs);
    QCOMPARE(rig.state().List2.size(), songs);
    QCOMPARE(rig.state().FoundCount, songs);
}

void TestCrawlRaces::randomEventsKeepInvariants_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 seed = 1; seed <= 24; ++seed)
        QTest::addRow("seed %u", seed) << seed;
}

namespace {

// Fires random user actions and page loads, also inside yields (nested up to a few levels),
// and checks the invariants of the crawl state after each one.
class RandomDriver
{
public:
    RandomDriver(CrawlRig& rig, quint32 seed) : m_rig(rig), m_random(seed)
    {
        m_rig.serve = [this](const QString& url) { return randomPage(url); };
        m_rig.window.onYield = [this](int) {
            if (m_depth < 4 && m_random.bounded(3) == 0 && !QTest::currentTestFailed())
                fireEvent();
        };
    }

    void run(int events)
    {
        for (int i = 0; i < events && !QTest::currentTestFailed(); ++i) {
            fireEvent();
            checkIdleCrawl();
        }
    }

private:
    void fireEvent()
    {
        ++m_depth;
        const QStringList counts{QStringLiteral("30"), QStringLiteral("3"),   QStringLiteral("1"),
                                 QStringLiteral("0"),  QStringLiteral("-2"),  QStringLiteral("2.5"),
                                 QStringLiteral("x"),  QStringLiteral("1e12")};
        const QStringList keywords{QStringLiteral("abc"), QStringLiteral(" abc "), QStringLiteral("歌 曲"),
                                   QStringLiteral("  "), QStringLiteral("a&b#c")};
        switch (m_random.bounded(12)) {
        case 0:
            m_rig.controller.startStopClicked();
            break;
        case 1:
            m_rig.controller.keywordKeyPressed(m_random.bounded(2) == 0 ? 13 : 97);
            break;
        case 2:
            m_rig.controller.topicClicked(m_random.bounded(-1, 14));
            break;
        case 3:
            m_rig.window.returnToSearchHome();
            break;
        case 4:
            m_rig.window.count = counts.at(m_random.bounded(counts.size()));
            break;
        case 5:
            m_rig.window.keyword = keywords.at(m_random.bounded(keywords.size()));
            break;
        case 6:
            m_rig.loadAgain();
            break;
        default:
            m_rig.loadPending();
            break;
        }
        --m_depth;
        checkInvariants();
    }

    void checkInvariants()
    {
        if (QTest::currentTestFailed())
            return;
        const CrawlState& state = m_rig.state();
        QCOMPARE(state.List1.count(), state.List2.size());
        QVERIFY2(
            state.TopicIndex >= 0 && state.TopicIndex <= state.List3.size() + 1,
            qPrintable(
                QStringLiteral("TopicIndex %1, List3 %2").arg(state.TopicIndex).arg(state.List3.size())));
        QVERIFY(state.PageOffset >= 0 && state.PageOffset <= 32760 && state.PageOffset % 30 == 0);
        QVERIFY(state.SearchMode == ModeStopped ||
                (state.SearchMode >= ModeKeyword && state.SearchMode <= ModeTopicWalk));
        QVERIFY(state.QueryUrl.isEmpty() || state.QueryUrl == u"_blank" ||
                (state.QueryUrl.startsWith(queryPrefix()) && state.QueryUrl.endsWith(u"&pn=")));
    }

    // While QueryUrl is empty no crawl runs: a page load changes nothing at all.
    void checkIdleCrawl()
    {
        if (!m_rig.state().QueryUrl.isEmpty())
            return;
        const QString text = m_rig.state().Text1.text();
        const qsizetype logSize = m_rig.log.size();
        m_rig.loadAgain();
        QCOMPARE(m_rig.state().Text1.text(), text);
        QCOMPARE(m_rig.log.size(), logSize);
    }

    QString randomPage(const QString& url)
    {
        if (url.contains(QStringLiteral("list.mp3.baidu.com"))) {
            QStringList names;
            const int count = m_random.bounded(5);
            for (int i = 0; i < count; ++i)
                names << QStringLiteral("name") + QString::number(m_random.bounded(4));
            return topicListPage(m_rig.window.keyword, names);
        }
        if (parseQueryRequest(url)) {
            QList<PageSong> songs;
            const int count = m_random.bounded(8);
            for (int i = 0; i < count; ++i) {
                const int n = m_random.bounded(10);
                songs.append({QStringLiteral("song") + QString::number(n) + QStringLiteral(" - x"),
                              m_random.bounded(6) == 0 ? QStringLiteral("请参照.mp3")
                                                       : songLink(QStringLiteral("s"), n)});
            }
            QString page = keywordResultPage(songs);
            if (m_random.bounded(5) == 0)
                page.truncate(m_random.bounded(page.size() + 1));
            return page;
        }
        return QStringLiteral("<BODY>other page</BODY>");
    }

    CrawlRig& m_rig;
    QRandomGenerator m_random;
    int m_depth = 0;
};

} // namespace

void TestCrawlRaces::randomEventsKeepInvariants()
{
    QFETCH(quint32, seed);
    CrawlRig rig;
    RandomDriver driver(rig, seed);
    driver.run(600);
}

QTEST_GUILESS_MAIN(TestCrawlRaces)
#include "tst_crawlraces.moc"
