// SPDX-License-Identifier: MIT
#include "scrape/scrapers.h"
#include "tests/scrape/scrapetestenv.h"

#include <QTest>

#include <limits>

using namespace Qorvin;
using namespace Qorvin::Test;

class TestSearchResultScraper : public QObject
{
    Q_OBJECT

private slots:
    void scrapesPage_data();
    void scrapesPage();
    void failingStepKeepsWhatWasDone_data();
    void failingStepKeepsWhatWasDone();
    void pageWithoutRecordChangesNothing();
    void statusAndPumpSequence();
    void stopDuringPumpEndsAfterCurrentRecord();
    void newStartDuringPumpIsHonoured();
    void nestedPageLoadDuringPumpIsReadOn();
    void fullTitleListEndsScraper();
    void foundCountAtItsLimitEndsScraper();
    void duplicateCheck_data();
    void duplicateCheck();
};

void TestSearchResultScraper::scrapesPage_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<int>("wanted");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QStringList>("links");
    QTest::addColumn<bool>("done");

    const QString a = QStringLiteral("http://a.example/a.mp3");
    QTest::newRow("upper-case address, blank after it")
        << resultPage(
               {RecordMarker + QStringLiteral("  http://a.example/A.MP3 <A target=_blank>Song - X</A>")})
        << 30 << QStringList{QStringLiteral("Song - X")}
        << QStringList{QStringLiteral("http://a.example/A.mp3")} << false;
    QTest::newRow("quote after .mp3 stays in the link")
        << resultPage(
               {RecordMarker + QStringLiteral("  http://a.example/a.mp3\" <A target=_blank>Song - X</A>")})
        << 30 << QStringList{QStringLiteral("Song - X")}
        << QStringList{QStringLiteral("http://a.example/a.mp3\"")} << false;
    QTest::newRow("link without .mp3 is its first four characters")
        << resultPage(
               {RecordMarker + QStringLiteral("  http://a.example/a.wma <A target=_blank>Song - X</A>")})
        << 30 << QStringList{QStringLiteral("Song - X")} << QStringList{QStringLiteral("http")} << false;
    QTest::newRow("blank link refused") << (RecordMarker + QStringLiteral("ab    <A target=_blank>Song</A>"))
                                        << 30 << QStringList{} << QStringList{} << false;
    QTest::newRow("refused link passed over")
        << resultPage({resultRecord(QStringLiteral("http://x/请参照.mp3"), QStringLiteral("One - A")),
                       resultRecord(a, QStringLiteral("Two - B"))})
        << 30 << QStringList{QStringLiteral("Two - B")} << QStringList{a} << false;
    QTest::newRow("empty title refused")
        << resultPage({resultRecord(a, QString()), resultRecord(a, QStringLiteral("T"))}) << 30
        << QStringList{QStringLiteral("T")} << QStringList{a} << false;
    QTest::newRow("names compared with the start of stored titles")
        << resultPage({resultRecord(a, QStringLiteral("Name - Singer")),
                       resultRecord(a, QStringLiteral("Name - Other")),
                       resultRecord(a, QStringLiteral("Na - Y")),
                       resultRecord(a, QStringLiteral(" Name2 - Z"))})
        << 30 << QStringList{QStringLiteral("Name - Singer"), QStringLiteral(" Name2 - Z")}
        << QStringList{a, a} << false;
    QTest::newRow("title without separator")
        << resultPage(
               {resultRecord(a, QStringLiteral("Lonely  ")), resultRecord(a, QStringLiteral(" Lonely"))})
        << 30 << QStringList{QStringLiteral("Lonely  ")} << QStringList{a} << false;
    QTest::newRow("leading separator gives the empty name")
        << resultPage({resultRecord(a, QStringLiteral("-First")), resultRecord(a, QStringLiteral("-Second"))})
        << 30 << QStringList{QStringLiteral("-First")} << QStringList{a} << false;
    QTest::newRow("title MP3 stored as mp3")
        << resultPage({resultRecord(a, QStringLiteral("MP3 Song - Mp3"))}) << 30
        << QStringList{QStringLiteral("mp3 Song - Mp3")} << QStringList{a} << false;
    QTest::newRow("wanted count reached stops the page")
        << resultPage({resultRecord(a, QStringLiteral("A")), resultRecord(a, QStringLiteral("B")),
                       resultRecord(a, QStringLiteral("C"))})
        << 2 << QStringList{QStringLiteral("A"), QStringLiteral("B")} << QStringList{a, a} << true;
    QTest::newRow("wanted count zero admits one")
        << resultPage({resultRecord(a, QStringLiteral("A")), resultRecord(a, QStringLiteral("B"))}) << 0
        << QStringList{QStringLiteral("A")} << QStringList{a} << true;
    QTest::newRow("negative wanted count admits one")
        << resultPage({resultRecord(a, QStringLiteral("A")), resultRecord(a, QStringLiteral("B"))}) << -5
        << QStringList{QStringLiteral("A")} << QStringList{a} << true;
    QTest::newRow("lowest wanted count admits one")
        << resultPage({resultRecord(a, QStringLiteral("A")), resultRecord(a, QStringLiteral("B"))})
        << std::numeric_limits<qint32>::min() << QStringList{QStringLiteral("A")} << QStringList{a} << true;
    QTest::newRow("title anchor beyond the next record")
        << (RecordMarker + QStringLiteral("  http://a/1.mp3 ") + RecordMarker +
            QStringLiteral("  http://a/2.mp3 <A target=_blank>T - 1</A> <A target=_blank>U - 2</A>"))
        << 30 << QStringList{QStringLiteral("T - 1")} << QStringList{QStringLiteral("http://a/1.mp3")}
        << false;
    QTest::newRow("surrogate pairs counted as two units")
        << resultPage({resultRecord(a, QStringLiteral("𝄞歌 - 乐"))}) << 30
        << QStringList{QStringLiteral("𝄞歌 - 乐")} << QStringList{a} << false;
}

void TestSearchResultScraper::scrapesPage()
{
    QFETCH(QString, page);
    QFETCH(int, wanted);
    QFETCH(QStringList, titles);
    QFETCH(QStringList, links);
    QFETCH(bool, done);

    CrawlState state = keywordState(page, wanted);
    RecordingEnv recording;
    SearchResultScraper(state, recording.env());

    QCOMPARE(state.List1.items(), titles);
    QCOMPARE(state.List2, links);
    QCOMPARE(state.FoundCount, titles.size());
    QCOMPARE(state.SearchDone == LegacyTrue, done);
    QCOMPARE(!recording.statuses.isEmpty() && recording.statuses.last() == FinishedStatus, done);
}

void TestSearchResultScraper::failingStepKeepsWhatWasDone_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("textLeft");

    const QString first = resultRecord(QStringLiteral("http://a/1.mp3"), QStringLiteral("First - A"));
    QTest::newRow("no anchor end after the title cut")
        << (first + RecordMarker + QStringLiteral("  http://a/2.mp3 <A target=_blank>Second"))
        << QStringLiteral("Second");
    QTest::newRow("record marker followed by one character")
        << (first + RecordMarker + QStringLiteral(" "))
        << (QStringLiteral("First - A</A><br>\n") + RecordMarker + u' ');
    QTest::newRow("record marker at the very end")
        << (first + RecordMarker) << (QStringLiteral("First - A</A><br>\n") + RecordMarker);
    QTest::newRow("no anchor tag, under six characters left")
        << (first + RecordMarker + QStringLiteral("  abcde")) << QStringLiteral("abcde");
}

void TestSearchResultScraper::failingStepKeepsWhatWasDone()
{
    QFETCH(QString, page);
    QFETCH(QString, textLeft);

    CrawlState state = keywordState(page, 30);
    RecordingEnv recording;
    SearchResultScraper(state, recording.env());

    QCOMPARE(state.List1.items(), QStringList{QStringLiteral("First - A")});
    QCOMPARE(state.List2, QStringList{QStringLiteral("http://a/1.mp3")});
    QCOMPARE(state.FoundCount, 1);
    QCOMPARE(state.SearchDone, LegacyFalse);
    QCOMPARE(state.Text1.text(), textLeft);
    QCOMPARE(recording.statuses, QStringList{SearchingStatus + QStringLiteral("1 First")});
}

void TestSearchResultScraper::pageWithoutRecordChangesNothing()
{
    const QString page = QStringLiteral("<A target=_blank>MP3 - X</A> http://a/b.MP3 ");
    CrawlState state = keywordState(page, 30);
    state.FoundCount = 4;
    RecordingEnv recording;
    SearchResultScraper(state, recording.env());

    QCOMPARE(state.Text1.text(), page);
    QCOMPARE(state.List1.count(), 0);
    QCOMPARE(state.FoundCount, 4);
    QCOMPARE(recording.pumps, 0);
    QVERIFY(recording.statuses.isEmpty());
}

void TestSearchResultScraper::statusAndPumpSequence()
{
    const QString a = QStringLiteral("http://a/a.mp3");
    CrawlState state = keywordState(resultPage({resultRecord(a, QStringLiteral("歌一 - 甲")),
                                                resultRecord(a, QStringLiteral("歌一 - 乙")),
                                                resultRecord(a, QStringLiteral("歌二 - 丙"))}),
                                    2);
    RecordingEnv recording;
    SearchResultScraper(state, recording.env());

    QCOMPARE(recording.statuses, (QStringList{SearchingStatus + QStringLiteral("1 歌一"),
                                              SearchingStatus + QStringLiteral("2 歌二"), FinishedStatus}));
    // Two pumps per accepted record, one per refused one.
    QCOMPARE(recording.pumps, 5);
    QCOMPARE(state.Text1.text(), QStringLiteral("歌二 - 丙</A><br>\n</BODY>"));
}

void TestSearchResultScraper::stopDuringPumpEndsAfterCurrentRecord()
{
    const QString a = QStringLiteral("http://a/a.mp3");
    CrawlState state = keywordState(
        resultPage({resultRecord(a, QStringLiteral("A")), resultRecord(a, QStringLiteral("B"))}), 30);
    RecordingEnv recording;
    recording.onPump = [&state](int pump) {
        if (pump == 1)
            state.SearchDone = LegacyTrue;
    };
    SearchResultScraper(state, recording.env());

    QCOMPARE(state.List1.items(), QStringList{QStringLiteral("A")});
    QCOMPARE(state.List2.size(), 1);
    QCOMPARE(recording.pumps, 2);
    QCOMPARE(recording.statuses, QStringList{SearchingStatus + QStringLiteral("1 A")});
}

void TestSearchResultScraper::newStartDuringPumpIsHonoured()
{
    const QString a = QStringLiteral("http://a/a.mp3");
    CrawlState state = keywordState(
        resultPage({resultRecord(a, QStringLiteral("A - 1")), resultRecord(a, QStringLiteral("A - 2")),
                    resultRecord(a, QStringLiteral("B"))}),
        2);
    RecordingEnv recording;
    // A new keyword search starts while the first record's status is shown.
    recording.onPump = [&state](int pump) {
        if (pump == 1) {
            state.List1.clear();
            state.List2.clear();
            state.FoundCount = 0;
            state.WantedCount = 3;
        }
    };
    SearchResultScraper(state, recording.env());

    QCOMPARE(state.List1.items(), (QStringList{QStringLiteral("A - 2"), QStringLiteral("B")}));
    QCOMPARE(state.FoundCount, 2);
    QCOMPARE(state.SearchDone, LegacyFalse);
}

void TestSearchResultScraper::nestedPageLoadDuringPumpIsReadOn()
{
    const QString a = QStringLiteral("http://a/a.mp3");
    CrawlState state = keywordState(
        resultPage({resultRecord(a, QStringLiteral("A")), resultRecord(a, QStringLiteral("B"))}), 30);
    const QString nextPage =
        resultPage({resultRecord(QStringLiteral("http://n/n.MP3"), QStringLiteral("MP3 C"))});
    RecordingEnv recording;
    recording.onPump = [&](int pump) {
        if (pump == 1)
            state.Text1.set(nextPage);
    };
    SearchResultScraper(state, recording.env());

    // The nested page was not rewritten: its "MP3" stays, and its address has no ".mp3".
    QCOMPARE(state.List1.items(), (QStringList{QStringLiteral("A"), QStringLiteral("MP3 C")}));
    QCOMPARE(state.List2, (QStringList{a, QStringLiteral("http")}));
}

void TestSearchResultScraper::fullTitleListEndsScraper()
{
    const QString a = QStringLiteral("http://a/a.mp3");
    CrawlState state = keywordState(
        resultPage({resultRecord(a, QStringLiteral("A")), resultRecord(a, QStringLiteral("B"))}), 30);
    for (qsizetype i = 0; i < MaxListCount; ++i) {
        state.List1.append(QStringLiteral("x"));
        state.List2.append(QStringLiteral("y"));
    }
    RecordingEnv recording;
    SearchResultScraper(state, recording.env());

    QCOMPARE(state.List1.count(), MaxListCount);
    QCOMPARE(state.List2.size(), MaxListCount);
    QCOMPARE(state.FoundCount, 0);
    QVERIFY(recording.statuses.isEmpty());
    QVERIFY(state.Text1.text().startsWith(QStringLiteral("A</A>")));
}

void TestSearchResultScraper::foundCountAtItsLimitEndsScraper()
{
    const QString a = QStringLiteral("http://a/a.mp3");
    CrawlState state =
        keywordState(resultPage({resultRecord(a, QStringLiteral("A")), resultRecord(a, QStringLiteral("B"))}),
                     std::numeric_limits<qint32>::max());
    state.FoundCount = std::numeric_limits<qint32>::max();
    RecordingEnv recording;
    SearchResultScraper(state, recording.env());

    // The pair is appended before the count fails; the lists stay parallel.
    QCOMPARE(state.List1.items(), QStringList{QStringLiteral("A")});
    QCOMPARE(state.List2, QStringList{a});
    QCOMPARE(state.FoundCount, std::numeric_limits<qint32>::max());
    QVERIFY(recording.statuses.isEmpty());
    QCOMPARE(recording.pumps, 0);
}

void TestSearchResultScraper::duplicateCheck_data()
{
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("duplicate");

    const QStringList lovely{QStringLiteral("Lovely - X"), QStringLiteral(" Blank - Y")};
    QTest::newRow("prefix of a title") << lovely << QStringLiteral("Love") << true;
    QTest::newRow("whole title") << lovely << QStringLiteral("Lovely - X") << true;
    QTest::newRow("longer than the title") << lovely << QStringLiteral("Lovely - XY") << false;
    QTest::newRow("case differs") << lovely << QStringLiteral("love") << false;
    QTest::newRow("title with a leading blank") << lovely << QStringLiteral("Blank") << false;
    QTest::newRow("empty name, titles stored") << lovely << QString() << true;
    QTest::newRow("empty name, no titles") << QStringList{} << QString() << false;
    QTest::newRow("between sorted neighbours")
        << QStringList{QStringLiteral("ab"), QStringLiteral("abd"), QStringLiteral("ac")}
        << QStringLiteral("abc") << false;
    QTest::newRow("past a shorter neighbour")
        << QStringList{QStringLiteral("a"), QStringLiteral("a\u0001"), QStringLiteral("a\uffffz")}
        << QStringLiteral("a\uffff") << true;
    QTest::newRow("surrogates sort by code unit")
        << QStringList{QStringLiteral("𝄞x"), QStringLiteral("\uff5e")} << QStringLiteral("𝄞") << true;
}

void TestSearchResultScraper::duplicateCheck()
{
    QFETCH(QStringList, stored);
    QFETCH(QString, name);
    QFETCH(bool, duplicate);

    CrawlState state;
    for (const QString& title : stored)
        state.List1.append(title);
    QCOMPARE(IsDuplicateSong(state, name), duplicate);
}

QTEST_GUILESS_MAIN(TestSearchResultScraper)
#include "tst_searchresultscraper.moc"
