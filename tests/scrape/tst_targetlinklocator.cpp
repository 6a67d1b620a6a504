// SPDX-License-Identifier: MIT
#include "scrape/scrapers.h"
#include "tests/scrape/scrapetestenv.h"

#include <QTest>

using namespace Qorvin;
using namespace Qorvin::Test;

namespace {

const QString LinkA = QStringLiteral("http://a.example/a.mp3");
const QString LinkB = QStringLiteral("http://b.example/b.mp3");

CrawlState walkState(const QString& page, const QStringList& storedTitles = {})
{
    CrawlState state;
    state.Text1.set(page);
    state.SearchMode = ModeTopicWalk;
    state.QueryUrl = QStringLiteral("_blank");
    state.TopicIndex = 3; // the status counts names, not songs
    for (const QString& title : storedTitles) {
        state.List1.append(title);
        state.List2.append(LinkB);
    }
    return state;
}

} // namespace

class TestTargetLinkLocator : public QObject
{
    Q_OBJECT

private slots:
    void takesFirstAcceptableRecord_data();
    void takesFirstAcceptableRecord();
    void failingStepEndsLocator_data();
    void failingStepEndsLocator();
    void stopDuringRefusalPump();
    void stoppedCrawlTakesNothing();
};

void TestTargetLinkLocator::takesFirstAcceptableRecord_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("link");

    QTest::newRow("first of two acceptable") << resultPage({resultRecord(LinkA, QStringLiteral("One - A")),
                                                            resultRecord(LinkB, QStringLiteral("Two - B"))})
                                             << QStringList{} << QStringLiteral("One - A") << LinkA;
    QTest::newRow("refused link passed over")
        << resultPage({resultRecord(QStringLiteral("http://x/请参照.mp3"), QStringLiteral("One - A")),
                       resultRecord(LinkB, QStringLiteral("Two - B"))})
        << QStringList{} << QStringLiteral("Two - B") << LinkB;
    QTest::newRow("title without separator") << resultPage({resultRecord(LinkA, QStringLiteral("Lonely "))})
                                             << QStringList{} << QStringLiteral("Lonely ") << LinkA;
    QTest::newRow("same title again is a duplicate")
        << resultPage({resultRecord(LinkA, QStringLiteral("  Lonely")),
                       resultRecord(LinkB, QStringLiteral("Other"))})
        << QStringList{QStringLiteral("Lonely ")} << QStringLiteral("Other") << LinkB;
    QTest::newRow("leading separator names the whole title")
        << resultPage({resultRecord(LinkA, QStringLiteral("-Mix"))}) << QStringList{QStringLiteral("Other")}
        << QStringLiteral("-Mix") << LinkA;
    QTest::newRow("leading separator refused by a title that begins with it")
        << resultPage({resultRecord(LinkA, QStringLiteral("-Mix")), resultRecord(LinkB, QStringLiteral("Y"))})
        << QStringList{QStringLiteral("-Mix - DJ")} << QStringLiteral("Y") << LinkB;
    QTest::newRow("upper-case address and title")
        << resultPage({resultRecord(QStringLiteral("http://a/A.MP3"), QStringLiteral("MP3 - Z"))})
        << QStringList{} << QStringLiteral("mp3 - Z") << QStringLiteral("http://a/A.mp3");
    QTest::newRow("no record") << QStringLiteral("<A target=_blank>X</A>") << QStringList{} << QString()
                               << QString();
    QTest::newRow("every record a duplicate")
        << resultPage({resultRecord(LinkA, QStringLiteral("Dup - 1")),
                       resultRecord(LinkA, QStringLiteral("Dup - 2"))})
        << QStringList{QStringLiteral("Dup - 0")} << QString() << QString();
    QTest::newRow("title list full") << resultPage({resultRecord(LinkA, QStringLiteral("T"))})
                                     << QStringList(MaxListCount, QStringLiteral("x")) << QString()
                                     << QString();
}

void TestTargetLinkLocator::takesFirstAcceptableRecord()
{
    QFETCH(QString, page);
    QFETCH(QStringList, stored);
    QFETCH(QString, title);
    QFETCH(QString, link);

    CrawlState state = walkState(page, stored);
    RecordingEnv recording;
    TargetLinkLocator(state, recording.env());

    QStringList titles = stored;
    QStringList links(stored.size(), LinkB);
    QStringList statuses;
    if (!title.isNull()) {
        titles.append(title);
        links.append(link);
        statuses.append(LocatingStatus + QStringLiteral("3 ") + link);
        // The rest of the page is not read.
        QVERIFY(state.Text1.text().startsWith(title + QStringLiteral("</A>")));
    }
    QCOMPARE(state.List1.items(), titles);
    QCOMPARE(state.List2, links);
    QCOMPARE(recording.statuses, statuses);
    QCOMPARE(state.SearchDone, LegacyFalse);
    QCOMPARE(state.FoundCount, 0);
}

void TestTargetLinkLocator::failingStepEndsLocator_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("textLeft");

    const QString refused = resultRecord(QStringLiteral("请参照.mp3"), QStringLiteral("R"));
    QTest::newRow("no anchor end") << (refused + RecordMarker + QStringLiteral("  a.mp3 <A target=_blank>T"))
                                   << QStringLiteral("T");
    QTest::newRow("marker followed by one character")
        << (refused + RecordMarker + u'x') << (QStringLiteral("R</A><br>\n") + RecordMarker + u'x');
    QTest::newRow("no anchor tag, under six characters")
        << (RecordMarker + QStringLiteral("  a.mp3")) << QStringLiteral("a.mp3");
}

void TestTargetLinkLocator::failingStepEndsLocator()
{
    QFETCH(QString, page);
    QFETCH(QString, textLeft);

    CrawlState state = walkState(page);
    RecordingEnv recording;
    TargetLinkLocator(state, recording.env());

    QCOMPARE(state.List1.count(), 0);
    QCOMPARE(state.List2.size(), 0);
    QCOMPARE(state.Text1.text(), textLeft);
}

void TestTargetLinkLocator::stopDuringRefusalPump()
{
    CrawlState state = walkState(resultPage({resultRecord(LinkA, QStringLiteral("Dup - 1")),
                                             resultRecord(LinkB, QStringLiteral("New - 2"))}),
                                 {QStringLiteral("Dup - 0")});
    RecordingEnv recording;
    recording.onPump = [&state](int) { state.SearchDone = LegacyTrue; };
    TargetLinkLocator(state, recording.env());

    QCOMPARE(state.List1.count(), 1);
    QCOMPARE(recording.pumps, 1);
    QVERIFY(recording.statuses.isEmpty());
}

void TestTargetLinkLocator::stoppedCrawlTakesNothing()
{
    CrawlState state =
        walkState(resultPage({resultRecord(QStringLiteral("http://a/A.MP3"), QStringLiteral("T"))}));
    state.SearchDone = LegacyTrue;
    RecordingEnv recording;
    TargetLinkLocator(state, recording.env());

    QCOMPARE(state.List1.count(), 0);
    // The page is still rewritten before the stop is looked at.
    QVERIFY(state.Text1.text().contains(QStringLiteral("A.mp3")));
}

QTEST_GUILESS_MAIN(TestTargetLinkLocator)
#include "tst_targetlinklocator.moc"
