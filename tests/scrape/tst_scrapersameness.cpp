// SPDX-License-Identifier: MIT
// The scrapers against their literal reference on random pages, with pumps that stop, restart,
// load another page or cut the text in between.
#include "scrape/scrapers.h"
#include "tests/scrape/literalscrapers.h"
#include "tests/scrape/randompages.h"
#include "tests/scrape/scrapetestenv.h"

#include <QTest>

using namespace Qorvin;
using namespace Qorvin::Test;

namespace {

enum class Scraper
{
    SearchResult,
    TopicList,
    TargetLink
};

struct Outcome
{
    QStringList list1;
    QStringList list2;
    QStringList list3;
    QStringList statuses;
    QString text1;
    int pumps = 0;
    qint32 foundCount = 0;
    qint32 wantedCount = 0;
    qint16 searchDone = 0;
    qint16 searchMode = 0;
};

CrawlState startState(quint32 seed, Scraper scraper)
{
    RandomPages random(seed);
    CrawlState state;
    state.Text1.set(scraper == Scraper::TopicList ? random.topicPage() : random.resultPage());
    state.WantedCount = random.wantedCount();
    state.FoundCount = random.chance(80) ? 0 : random.below(10);
    state.TopicIndex = static_cast<qint16>(random.below(40));
    state.SearchMode = static_cast<qint16>(random.below(4));
    state.SearchDone = random.chance(5) ? LegacyTrue : LegacyFalse;
    const int stored = random.chance(50) ? 0 : random.below(6);
    for (int i = 0; i < stored; ++i) {
        state.List1.append(random.songTitle());
        state.List2.append(random.address());
    }
    return state;
}

using ScraperCall = void (*)(CrawlState&, const QString&, const ScrapeEnv&);

Outcome run(quint32 seed, Scraper scraper, bool literal, bool randomPumps)
{
    CrawlState state = startState(seed, scraper);
    RecordingEnv recording;
    if (randomPumps)
        recording.onPump = [&state, seed](int pump) { randomPumpAction(state, seed, pump); };
    const ScrapeEnv env = recording.env();
    switch (scraper) {
    case Scraper::SearchResult:
        literal ? Literal::SearchResultScraper(state, env) : SearchResultScraper(state, env);
        break;
    case Scraper::TopicList:
        literal ? Literal::TopicListScraper(state, RandomTopicCaption, env)
                : TopicListScraper(state, RandomTopicCaption, env);
        break;
    case Scraper::TargetLink:
        literal ? Literal::TargetLinkLocator(state, env) : TargetLinkLocator(state, env);
        break;
    }
    return Outcome{state.List1.items(), state.List2,     state.List3,      recording.statuses,
                   state.Text1.text(),  recording.pumps, state.FoundCount, state.WantedCount,
                   state.SearchDone,    state.SearchMode};
}

} // namespace

class TestScraperSameness : public QObject
{
    Q_OBJECT

private slots:
    void sameAsLiteral_data();
    void sameAsLiteral();
    void duplicateCheckSameAsScan();
};

void TestScraperSameness::sameAsLiteral_data()
{
    QTest::addColumn<int>("scraper");
    QTest::addColumn<bool>("randomPumps");

    QTest::newRow("search result, quiet pumps") << int(Scraper::SearchResult) << false;
    QTest::newRow("search result, busy pumps") << int(Scraper::SearchResult) << true;
    QTest::newRow("topic list, quiet pumps") << int(Scraper::TopicList) << false;
    QTest::newRow("topic list, busy pumps") << int(Scraper::TopicList) << true;
    QTest::newRow("target link, quiet pumps") << int(Scraper::TargetLink) << false;
    QTest::newRow("target link, busy pumps") << int(Scraper::TargetLink) << true;
}

void TestScraperSameness::sameAsLiteral()
{
    QFETCH(int, scraper);
    QFETCH(bool, randomPumps);

    int pairsTaken = 0;
    for (quint32 seed = 1; seed <= 4000; ++seed) {
        const Outcome fast = run(seed, Scraper(scraper), false, randomPumps);
        const Outcome literal = run(seed, Scraper(scraper), true, randomPumps);
        const QByteArray where = "seed " + QByteArray::number(seed);
        QVERIFY2(fast.list1 == literal.list1, where);
        QVERIFY2(fast.list2 == literal.list2, where);
        QVERIFY2(fast.list3 == literal.list3, where);
        QVERIFY2(fast.statuses == literal.statuses, where);
        QVERIFY2(fast.text1 == literal.text1, where);
        QVERIFY2(fast.pumps == literal.pumps, where);
        QVERIFY2(fast.foundCount == literal.foundCount, where);
        QVERIFY2(fast.wantedCount == literal.wantedCount, where);
        QVERIFY2(fast.searchDone == literal.searchDone, where);
        QVERIFY2(fast.searchMode == literal.searchMode, where);
        QVERIFY2(fast.list1.size() == fast.list2.size(), where);
        pairsTaken += int(fast.list1.size() + fast.list3.size());
    }
    // The pages must exercise the scrapers, not only their early returns.
    QVERIFY(pairsTaken > 4000);
}

void TestScraperSameness::duplicateCheckSameAsScan()
{
    RandomPages random(42);
    for (int round = 0; round < 300; ++round) {
        CrawlState state;
        const int stored = random.below(30);
        for (int i = 0; i < stored; ++i)
            state.List1.append(random.songTitle().left(random.below(8)));
        for (int probe = 0; probe < 30; ++probe) {
            const QString name = random.songTitle().left(random.below(8));
            QCOMPARE(IsDuplicateSong(state, name), Literal::IsDuplicateSong(state, name));
        }
    }
}

QTEST_GUILESS_MAIN(TestScraperSameness)
#include "tst_scrapersameness.moc"
