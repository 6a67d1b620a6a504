// SPDX-License-Identifier: MIT
// The addresses the controller requests: the keyword query, its pages, the topic lists.
#include "crawlstate/queryurl.h"
#include "search/crawlcontroller.h"
#include "search/topictable.h"
#include "tests/search/crawlfakes.h"

#include <QTest>

using namespace Qorvin;
using namespace Qorvin::Test;

class TestQueryUrl : public QObject
{
    Q_OBJECT

private slots:
    void keywordGoesInUnescaped_data();
    void keywordGoesInUnescaped();
    void pageOffsetInPlainDigits();
    void beginKeywordQuery();
    void topicTable_data();
    void topicTable();
    void missingTopicLabels();
};

void TestQueryUrl::keywordGoesInUnescaped_data()
{
    QTest::addColumn<QString>("keyword");
    QTest::newRow("plain") << "abc";
    QTest::newRow("inner space") << "two words";
    QTest::newRow("ampersand and hash") << "a&b=c#d";
    QTest::newRow("chinese") << "老歌　精选";
    QTest::newRow("empty") << "";
}

void TestQueryUrl::keywordGoesInUnescaped()
{
    QFETCH(QString, keyword);
    const QString prefix = QStringLiteral(
        "http://mp3.baidu.com/m?z=0&cl=3&ct=134217728&sn=&lm=0&cm=1&sc=1&bu=&rn=30&tn=baidump3&word=");
    QCOMPARE(queryPrefix(), prefix);
    QCOMPARE(keywordQueryUrl(keyword), prefix + keyword + QStringLiteral("&pn="));
    QCOMPARE(firstResultPageUrl(keyword), prefix + keyword + QStringLiteral("&pn=0"));
}

void TestQueryUrl::pageOffsetInPlainDigits()
{
    const QString queryUrl = keywordQueryUrl(QStringLiteral("abc"));
    QVERIFY(resultPageUrl(queryUrl, 60).endsWith(QStringLiteral("word=abc&pn=60")));
    QVERIFY(resultPageUrl(queryUrl, 32760).endsWith(QStringLiteral("&pn=32760")));
    QCOMPARE(intermediatePageUrl(), QStringLiteral("http://www.tavrel.example"));
}

void TestQueryUrl::beginKeywordQuery()
{
    QStringList log;
    FakeCrawlWindow window(log);
    FakeCrawlBrowser browser(log);
    CrawlController controller(window, browser);
    CrawlState& state = controller.state();
    state.List1.append(QStringLiteral("old"));
    state.List2.append(QStringLiteral("old"));
    state.List3.append(QStringLiteral("kept"));
    state.PageOffset = 90;
    state.SearchMode = ModeTopicWalk;
    state.WantedCount = 4;
    state.FoundCount = 2;
    state.SearchDone = LegacyTrue;

    controller.BeginKeywordQuery(QStringLiteral("abc"));

    QCOMPARE(browser.requests, QStringList{firstResultPageUrl(QStringLiteral("abc"))});
    QCOMPARE(state.QueryUrl, keywordQueryUrl(QStringLiteral("abc")));
    QCOMPARE(state.List1.count(), 0);
    QCOMPARE(state.List2.size(), 0);
    QCOMPARE(state.List3.size(), 1);
    QCOMPARE(state.PageOffset, qint16(90));
    QCOMPARE(state.SearchMode, ModeTopicWalk);
    QCOMPARE(state.WantedCount, 4);
    QCOMPARE(state.FoundCount, 2);
    QCOMPARE(state.SearchDone, LegacyTrue);
}

void TestQueryUrl::topicTable_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("url");
    const QString host = QStringLiteral("http://list.mp3.baidu.com");
    QTest::newRow("0") << 0 << "新歌TOP100" << host + QStringLiteral("/list/newhits.html#top1");
    QTest::newRow("1") << 1 << "歌曲TOP500" << host + QStringLiteral("/topso/mp3topsong.html#top2");
    QTest::newRow("2") << 2 << "电影金曲 " << host + QStringLiteral("/list/movies.html#top4");
    QTest::newRow("3") << 3 << "电视金曲" << host + QStringLiteral("/list/tvs.html#top5");
    QTest::newRow("4") << 4 << "经典老歌" << host + QStringLiteral("/list/oldsong.html#top6");
    QTest::newRow("5") << 5 << "歌手列表" << host + QStringLiteral("/singer/singers.html#top7");
    QTest::newRow("6") << 6 << "歌曲列表" << host + QStringLiteral("/song/A.htm#top8");
    QTest::newRow("7") << 7 << "热门对唱 " << host + QStringLiteral("/list/duichang.html#top9");
    QTest::newRow("8") << 8 << "热门DJ " << host + QStringLiteral("/list/dj.html#top10");
    QTest::newRow("10") << 10 << "民歌精选 " << host + QStringLiteral("/minge/mp3topsong.html#top12");
    QTest::newRow("11") << 11 << "校园歌曲 " << host + QStringLiteral("/xiaoyuan/mp3topsong.html#top13");
    QTest::newRow("12") << 12 << "情歌对对碰" << host + QStringLiteral("/list/qgddp.html");
}

void TestQueryUrl::topicTable()
{
    QFETCH(int, index);
    QFETCH(QString, caption);
    QFETCH(QString, url);
    const std::optional<TopicEntry> entry = topicEntry(index);
    QVERIFY(entry);
    QCOMPARE(entry->caption, caption);
    QCOMPARE(topicListUrl(*entry), url);
}

void TestQueryUrl::missingTopicLabels()
{
    QCOMPARE(Qorvin::topicTable().size(), std::size_t(12));
    for (int index : {-1, 9, 13, 32767})
        QVERIFY(!topicEntry(index));
}

QTEST_GUILESS_MAIN(TestQueryUrl)
#include "tst_queryurl.moc"
