// SPDX-License-Identifier: MIT
// Both roads over the pages the local search service generates, as the browser would hand
// them over: a keyword search that needs three result pages and a topic crawl over its list.
#include "crawlstate/queryurl.h"
#include "localservice/pagegenerator.h"
#include "scrape/scrapers.h"
#include "tests/search/crawlrig.h"

#include <QTest>

#include <limits>

using namespace Qorvin;
using namespace Qorvin::Test;

namespace {

std::function<QString(const QString&)> serviceServer(const LocalService::PageGenerator& generator)
{
    return [&generator](const QString& url) {
        if (const std::optional<QueryRequest> query = parseQueryRequest(url))
            return generator.searchPage(query->word, query->offset);
        const QString listPrefix = QStringLiteral("http://") + listHost();
        if (url.startsWith(listPrefix))
            return generator.topicListPage(url.mid(listPrefix.size())).value_or(QString());
        if (url == makerHomeUrl())
            return generator.makerHomePage();
        return QStringLiteral("<html><body>local page</body></html>");
    };
}

// How many songs the scraper takes from the given result pages of word, read one after the other.
int songsOnPages(const LocalService::PageGenerator& generator, const QString& word, QList<int> offsets)
{
    CrawlState probe;
    probe.WantedCount = std::numeric_limits<qint32>::max();
    const ScrapeEnv quiet{[](const QString&) {}, [] {}};
    for (int offset : offsets) {
        probe.Text1.set(generator.searchPage(word, offset));
        SearchResultScraper(probe, quiet);
    }
    return int(probe.List1.count());
}

} // namespace

class TestCrawlRoads : public QObject
{
    Q_OBJECT

private slots:
    void keywordSearchOverThreeServicePages();
    void topicCrawlOverServiceList();

private:
    LocalService::PageGenerator m_generator;
};

void TestCrawlRoads::keywordSearchOverThreeServicePages()
{
    const QString word = QStringLiteral("春");
    const int onTwoPages = songsOnPages(m_generator, word, {0, 30});
    QVERIFY(onTwoPages > 0);
    QVERIFY(songsOnPages(m_generator, word, {0, 30, 60}) > onTwoPages);
    const int wanted = onTwoPages + 1;

    CrawlRig rig;
    rig.serve = serviceServer(m_generator);
    rig.start(word, QString::number(wanted));
    rig.loadUntilIdle();

    QCOMPARE(rig.browser.requests,
             (QStringList{keywordQueryUrl(word) + QStringLiteral("0"),
                          keywordQueryUrl(word) + QStringLiteral("30"),
                          keywordQueryUrl(word) + QStringLiteral("60"), rig.resultUrl()}));
    QCOMPARE(rig.state().List1.count(), wanted);
    QCOMPARE(rig.state().List2.size(), wanted);
    for (const QString& link : rig.state().List2)
        QVERIFY2(link.endsWith(QStringLiteral(".mp3")), qPrintable(link));
    QCOMPARE(rig.window.panel, QStringLiteral("本次搜索完成!"));
    QCOMPARE(rig.resultRows(), wanted);
}

void TestCrawlRoads::topicCrawlOverServiceList()
{
    CrawlRig rig;
    rig.serve = serviceServer(m_generator);
    rig.window.count = QStringLiteral("3");
    rig.controller.topicClicked(0);
    rig.loadUntilIdle();

    const QStringList names = rig.state().List3;
    QCOMPARE(names.size(), 3);
    QStringList expected{QStringLiteral("http://list.mp3.baidu.com/list/newhits.html#top1"), makerHomeUrl()};
    for (const QString& name : names) {
        QVERIFY(!name.isEmpty());
        expected << firstResultPageUrl(name);
    }
    expected << rig.resultUrl();
    QCOMPARE(rig.browser.requests, expected);
    // One song at most per name, and the service finds every name it lists.
    QCOMPARE(rig.state().List1.count(), 3);
    QCOMPARE(rig.state().SearchMode, ModeKeyword);
    QVERIFY(rig.state().QueryUrl.isEmpty());
    QCOMPARE(rig.resultRows(), 3);
}

QTEST_GUILESS_MAIN(TestCrawlRoads)
#include "tst_crawlroads.moc"
