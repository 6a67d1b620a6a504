// SPDX-License-Identifier: MIT
// The scrapers on the pages of the local search service, as the program meets them in a crawl.
#include "localservice/catalogue.h"
#include "localservice/pagegenerator.h"
#include "localservice/topiclists.h"
#include "scrape/scrapers.h"
#include "tests/scrape/literalscrapers.h"
#include "tests/scrape/scrapetestenv.h"

#include <QSet>
#include <QTest>

using namespace Qorvin;
using namespace Qorvin::Test;
using namespace Qorvin::LocalService;

namespace {

// The words of a few keyword searches: singers with songs in the catalogue.
QStringList someSingers(int count)
{
    QStringList singers;
    for (const Song& song : Catalogue::builtIn().songs()) {
        if (!singers.contains(song.singer) && !song.singer.isEmpty())
            singers.append(song.singer);
        if (singers.size() == count)
            break;
    }
    return singers;
}

QString withoutOuterBlanks(QString text)
{
    while (text.startsWith(u' '))
        text.remove(0, 1);
    while (text.endsWith(u' '))
        text.chop(1);
    return text;
}

} // namespace

class TestScrapersLocalPages : public QObject
{
    Q_OBJECT

private slots:
    void keywordSearchPages();
    void topicListPages();
    void topicWalkPages();
};

void TestScrapersLocalPages::keywordSearchPages()
{
    const PageGenerator generator;
    int taken = 0;
    for (const QString& singer : someSingers(12)) {
        CrawlState fast = keywordState(QString(), 1000);
        CrawlState literal = keywordState(QString(), 1000);
        RecordingEnv fastRecording;
        RecordingEnv literalRecording;
        for (int offset = 0; offset <= 60; offset += 30) {
            const QString page = generator.searchPage(singer, offset);
            fast.Text1.set(page);
            literal.Text1.set(page);
            SearchResultScraper(fast, fastRecording.env());
            Literal::SearchResultScraper(literal, literalRecording.env());
        }
        QCOMPARE(fast.List1.items(), literal.List1.items());
        QCOMPARE(fast.List2, literal.List2);
        QCOMPARE(fastRecording.statuses, literalRecording.statuses);
        QCOMPARE(fast.FoundCount, fast.List1.count());
        for (qsizetype i = 0; i < fast.List1.count(); ++i) {
            const QString& link = fast.List2.at(i);
            QVERIFY2(link.startsWith(QStringLiteral("http://")) && link.endsWith(QStringLiteral(".mp3")),
                     qPrintable(link));
            QVERIFY(!link.contains(QStringLiteral("请参照")));
            QVERIFY(!fast.List1.at(i).isEmpty());
            QVERIFY(!fast.List1.at(i).contains(QStringLiteral("</")));
        }
        taken += int(fast.List1.count());
    }
    QVERIFY(taken > 0);
}

void TestScrapersLocalPages::topicListPages()
{
    const PageGenerator generator;
    const TopicLists lists(Catalogue::builtIn());
    for (qsizetype index = 0; index < topics().size(); ++index) {
        const Topic& topic = topics().at(index);
        const auto page = generator.topicListPage(topic.path);
        QVERIFY2(page.has_value(), qPrintable(topic.path));
        const QStringList& entries = lists.entries(index);
        QVERIFY(!entries.isEmpty());

        CrawlState state;
        state.Text1.set(*page);
        state.WantedCount = qint32(qMin<qsizetype>(entries.size(), 30));
        RecordingEnv recording;
        TopicListScraper(state, topic.heading, recording.env());

        QStringList expected;
        for (qsizetype i = 0; i < state.WantedCount; ++i)
            expected.append(withoutOuterBlanks(entries.at(i).toHtmlEscaped()));
        QCOMPARE(state.List3, expected);
        QCOMPARE(state.SearchMode, ModeKeyword);
    }
}

void TestScrapersLocalPages::topicWalkPages()
{
    const PageGenerator generator;
    const TopicLists lists(Catalogue::builtIn());
    const QStringList& names = lists.entries(0);
    CrawlState state;
    int songsWithResults = 0;
    for (qsizetype i = 0; i < qMin<qsizetype>(names.size(), 25); ++i) {
        state.Text1.set(generator.searchPage(names.at(i), 0));
        state.TopicIndex = qint16(i + 1);
        const qsizetype before = state.List1.count();
        RecordingEnv recording;
        TargetLinkLocator(state, recording.env());
        QVERIFY(state.List1.count() - before <= 1);
        QCOMPARE(state.List2.size(), state.List1.count());
        if (state.List1.count() > before) {
            QCOMPARE(recording.statuses,
                     QStringList{LocatingStatus + QString::number(i + 1) + u' ' + state.List2.last()});
            QVERIFY(state.List2.last().endsWith(QStringLiteral(".mp3")));
        }
        if (!Catalogue::builtIn().find(names.at(i)).isEmpty())
            ++songsWithResults;
    }
    QVERIFY(songsWithResults > 0);
    QVERIFY(state.List1.count() > 0);
}

QTEST_GUILESS_MAIN(TestScrapersLocalPages)
#include "tst_scraperslocalpages.moc"
