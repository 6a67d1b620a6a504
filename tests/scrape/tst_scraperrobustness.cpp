// SPDX-License-Identifier: MIT
// The scrapers on pages cut off anywhere and on random code units: they never crash, keep the
// title and link lists parallel, and leave an unread tail of the page they were given.
#include "scrape/scrapers.h"
#include "tests/scrape/literalscrapers.h"
#include "tests/scrape/randompages.h"
#include "tests/scrape/scrapetestenv.h"

#include <QTest>

using namespace Qorvin;
using namespace Qorvin::Test;

namespace {

struct Run
{
    CrawlState state;
    RecordingEnv recording;
};

void scrapeWithAll(const QString& page, qint32 wanted, void (*check)(const QString&, const Run&, bool))
{
    for (int scraper = 0; scraper < 3; ++scraper) {
        Run run;
        run.state.Text1.set(page);
        run.state.WantedCount = wanted;
        switch (scraper) {
        case 0:
            SearchResultScraper(run.state, run.recording.env());
            break;
        case 1:
            TopicListScraper(run.state, RandomTopicCaption, run.recording.env());
            break;
        default:
            TargetLinkLocator(run.state, run.recording.env());
            break;
        }
        check(page, run, scraper == 0);
    }
}

void checkInvariants(const QString& page, const Run& run, bool counts)
{
    const CrawlState& state = run.state;
    QCOMPARE(state.List1.count(), state.List2.size());
    // Only the keyword search counts its songs.
    QCOMPARE(qsizetype(state.FoundCount), counts ? state.List1.count() : 0);
    QVERIFY(state.List1.count() + state.List3.size() <= qsizetype(run.recording.statuses.size()));
    // What is left is a tail of the page, after "MP3" became "mp3" when a record was seen.
    QString rewritten = page;
    rewritten.replace(QStringLiteral("MP3"), QStringLiteral("mp3"));
    const QString left = state.Text1.text();
    QVERIFY(page.endsWith(left) || rewritten.endsWith(left));
}

} // namespace

class TestScraperRobustness : public QObject
{
    Q_OBJECT

private slots:
    void truncatedPages_data();
    void truncatedPages();
    void randomCodeUnits();
};

void TestScraperRobustness::truncatedPages_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<int>("wanted");

    RandomPages random(2026);
    QString results;
    for (int i = 0; i < 30; ++i)
        results += random.resultRecord();
    QString topics = QStringLiteral("<A href=h>帮助</A> ") + RandomTopicCaption + QStringLiteral("</B>");
    for (int i = 1; i <= 30; ++i)
        topics += random.topicItem(i);
    QTest::newRow("result page") << results << 1000;
    QTest::newRow("result page, few wanted") << results << 3;
    QTest::newRow("topic page") << topics << 1000;
}

void TestScraperRobustness::truncatedPages()
{
    QFETCH(QString, page);
    QFETCH(int, wanted);

    for (qsizetype length = 0; length <= page.size(); ++length) {
        const QString cut = page.left(length);
        scrapeWithAll(cut, wanted, checkInvariants);
        if (QTest::currentTestFailed())
            return;
        // The same page cut off after a record must read the same as the literal reader does.
        CrawlState fast;
        CrawlState literal;
        fast.Text1.set(cut);
        literal.Text1.set(cut);
        fast.WantedCount = literal.WantedCount = wanted;
        RecordingEnv quiet;
        SearchResultScraper(fast, quiet.env());
        Literal::SearchResultScraper(literal, quiet.env());
        QCOMPARE(fast.List1.items(), literal.List1.items());
        QCOMPARE(fast.Text1.text(), literal.Text1.text());
    }
}

void TestScraperRobustness::randomCodeUnits()
{
    RandomPages random(7);
    for (int round = 0; round < 3000; ++round) {
        QString page;
        const int pieces = random.below(40);
        for (int i = 0; i < pieces; ++i) {
            if (random.chance(60))
                page += random.noise(1);
            else
                page += QChar(char16_t(random.below(0x10000)));
        }
        scrapeWithAll(page, random.wantedCount(), checkInvariants);
        if (QTest::currentTestFailed())
            return;
    }
}

QTEST_GUILESS_MAIN(TestScraperRobustness)
#include "tst_scraperrobustness.moc"
