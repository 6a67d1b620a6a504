// SPDX-License-Identifier: MIT
#include "scrape/scrapers.h"
#include "tests/scrape/scrapetestenv.h"

#include <QTest>

using namespace Qorvin;
using namespace Qorvin::Test;

namespace {

const QString Caption = QStringLiteral("新歌TOP100");

CrawlState topicState(const QString& page, qint32 wanted)
{
    CrawlState state;
    state.Text1.set(page);
    state.WantedCount = wanted;
    state.SearchMode = ModeTopicList;
    state.QueryUrl = QStringLiteral("_blank");
    return state;
}

QStringList numberedNames(int count)
{
    QStringList names;
    for (int i = 1; i <= count; ++i)
        names.append(QStringLiteral("歌") + QString::number(i));
    return names;
}

} // namespace

class TestTopicListScraper : public QObject
{
    Q_OBJECT

private slots:
    void takesNames_data();
    void takesNames();
    void failingStepKeepsNamesSoFar_data();
    void failingStepKeepsNamesSoFar();
    void stopDuringPump_data();
    void stopDuringPump();
    void itemNumberStopsAt32767();
};

void TestTopicListScraper::takesNames_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<int>("wanted");
    QTest::addColumn<QStringList>("names");

    QTest::newRow("caption missing") << topicPage(QStringLiteral("电影金曲"), {QStringLiteral("甲")}) << 30
                                     << QStringList{};
    QTest::newRow("two items, trimmed")
        << topicPage(Caption, {QStringLiteral(" 甲 "), QStringLiteral("乙\t")}) << 30
        << QStringList{QStringLiteral("甲"), QStringLiteral("乙\t")};
    QTest::newRow("wanted 30 of 100") << topicPage(Caption, numberedNames(100)) << 30 << numberedNames(30);
    QTest::newRow("wanted 0 takes one") << topicPage(Caption, numberedNames(3)) << 0 << numberedNames(1);
    QTest::newRow("negative wanted takes one")
        << topicPage(Caption, numberedNames(3)) << -7 << numberedNames(1);
    QTest::newRow("empty anchor text") << topicPage(Caption, {QString(), QStringLiteral("乙")}) << 30
                                       << QStringList{QString(), QStringLiteral("乙")};
    QTest::newRow("same song twice") << topicPage(Caption, {QStringLiteral("甲"), QStringLiteral("甲")}) << 30
                                     << QStringList{QStringLiteral("甲"), QStringLiteral("甲")};
    QTest::newRow("reads past the list while links remain")
        << (topicPage(Caption, {QStringLiteral("甲")}) + QStringLiteral("<A href=z target=_blank> 外 </A>"))
        << 30 << QStringList{QStringLiteral("甲"), QStringLiteral("外")};
    QTest::newRow("heading before the help link is not the heading")
        << (Caption + QStringLiteral(" 1. <A href=a target=_blank>早</A> ") +
            topicPage(Caption, {QStringLiteral("甲")}))
        << 30 << QStringList{QStringLiteral("甲")};
    QTest::newRow("item number found inside a longer number")
        << (QStringLiteral("帮助 ") + Caption + QStringLiteral(" 21. <A href=a target=_blank>甲</A>")) << 1
        << QStringList{QStringLiteral("甲")};
}

void TestTopicListScraper::takesNames()
{
    QFETCH(QString, page);
    QFETCH(int, wanted);
    QFETCH(QStringList, names);

    CrawlState state = topicState(page, wanted);
    RecordingEnv recording;
    TopicListScraper(state, Caption, recording.env());

    QCOMPARE(state.List3, names);
    QCOMPARE(state.SearchMode, ModeTopicList);
    // One status per name, numbered from 1, showing the name as taken.
    QStringList statuses;
    for (qsizetype i = 0; i < names.size(); ++i)
        statuses.append(ListingStatus + QString::number(i + 1) + u' ' + names.at(i));
    QCOMPARE(recording.statuses, statuses);
    if (names.isEmpty())
        QCOMPARE(state.Text1.text(), page);
}

void TestTopicListScraper::failingStepKeepsNamesSoFar_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("textLeft");

    const QString help = QStringLiteral("帮助");
    QTest::newRow("help link at the very end")
        << (Caption + u' ' + help) << QStringList{} << (Caption + u' ' + help);
    QTest::newRow("caption at the very end")
        << (help + QStringLiteral(" x ") + Caption) << QStringList{} << (QStringLiteral("x ") + Caption);
    QTest::newRow("caption only before the help link, longer than the rest")
        << (Caption + u' ' + help + QStringLiteral("ab")) << QStringList{} << QStringLiteral("b");
    QTest::newRow("no anchor tag and under six characters")
        << (help + u' ' + Caption + QStringLiteral(" href=")) << QStringList{} << QStringLiteral("href=");
    QTest::newRow("no anchor end after the second name")
        << (topicPage(Caption, {QStringLiteral("甲")}) + QStringLiteral("2. <A href=b target=_blank>乙"))
        << QStringList{QStringLiteral("甲")} << QStringLiteral("乙");
}

void TestTopicListScraper::failingStepKeepsNamesSoFar()
{
    QFETCH(QString, page);
    QFETCH(QStringList, names);
    QFETCH(QString, textLeft);

    CrawlState state = topicState(page, 30);
    RecordingEnv recording;
    TopicListScraper(state, Caption, recording.env());

    QCOMPARE(state.List3, names);
    QCOMPARE(state.Text1.text(), textLeft);
    QCOMPARE(recording.statuses.size(), names.size());
}

void TestTopicListScraper::stopDuringPump_data()
{
    QTest::addColumn<int>("stopAtPump");
    QTest::addColumn<int>("namesTaken");
    QTest::addColumn<qint16>("mode");

    // A stop seen right after the name's status stops the list; one seen at the top of the
    // next pass only ends the scraper.
    QTest::newRow("after the status of the first name") << 1 << 1 << ModeStopped;
    QTest::newRow("before the second pass") << 2 << 1 << ModeTopicList;
    QTest::newRow("after the status of the second name") << 3 << 2 << ModeStopped;
}

void TestTopicListScraper::stopDuringPump()
{
    QFETCH(int, stopAtPump);
    QFETCH(int, namesTaken);
    QFETCH(qint16, mode);

    CrawlState state = topicState(topicPage(Caption, numberedNames(5)), 30);
    RecordingEnv recording;
    recording.onPump = [&state, stopAtPump](int pump) {
        if (pump == stopAtPump)
            state.SearchDone = LegacyTrue;
    };
    TopicListScraper(state, Caption, recording.env());

    QCOMPARE(state.List3, numberedNames(namesTaken));
    QCOMPARE(state.SearchMode, mode);
    QCOMPARE(recording.pumps, stopAtPump);
}

void TestTopicListScraper::itemNumberStopsAt32767()
{
    const QStringList names = numberedNames(32768);
    CrawlState state = topicState(topicPage(Caption, names), 40000);
    RecordingEnv recording;
    TopicListScraper(state, Caption, recording.env());

    QCOMPARE(state.List3.size(), 32767);
    QCOMPARE(state.List3.last(), names.at(32766));
    QCOMPARE(recording.statuses.last(), ListingStatus + QStringLiteral("32767 ") + names.at(32766));
    // The failing addition ends the pass before anything more of the page is read.
    QVERIFY(state.Text1.text().startsWith(names.at(32766) + QStringLiteral("</A>")));
}

QTEST_GUILESS_MAIN(TestTopicListScraper)
#include "tst_topiclistscraper.moc"
