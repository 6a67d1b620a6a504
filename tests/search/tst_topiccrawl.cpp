// SPDX-License-Identifier: MIT
// The controller through a topic crawl: the topic start, the walk over the list's names, an
// empty list, and a topic whose page lacks its fragment or its label.
#include "search/topictable.h"
#include "tests/search/crawlrig.h"

#include <QTest>

using namespace Qorvin;
using namespace Qorvin::Test;

namespace {

const QString FinishedText = QStringLiteral("本次搜索完成!");

} // namespace

class TestTopicCrawl : public QObject
{
    Q_OBJECT

private slots:
    void topicStartStepsInOrder();
    void topicCrawlOverItsNames_data();
    void topicCrawlOverItsNames();
    void emptyTopicListFinishesOnOneEmptyQuery();
    void topicWithoutFragmentAndMissingLabel();
};

void TestTopicCrawl::topicStartStepsInOrder()
{
    CrawlRig rig;
    CrawlState& state = rig.controller.state();
    state.List1.append(QStringLiteral("old - song"));
    state.List2.append(QStringLiteral("old.mp3"));
    state.List3.append(QStringLiteral("old name"));
    state.TopicIndex = 4;
    state.FoundCount = 3;
    state.PageOffset = 60;
    rig.window.panel = QStringLiteral("earlier status");
    rig.window.count = QStringLiteral("7");

    rig.controller.topicClicked(8);

    QCOMPARE(rig.log, (QStringList{QStringLiteral("menu:hide"), QStringLiteral("keyword:热门DJ"),
                                   QStringLiteral("label6:") + stopCaption(),
                                   QStringLiteral("label8:开始搜索,请等待..."),
                                   QStringLiteral("navigate:http://list.mp3.baidu.com/list/dj.html#top10")}));
    QCOMPARE(rig.window.panel, QStringLiteral("earlier status"));
    QCOMPARE(state.List1.count(), 0);
    QCOMPARE(state.List2.size(), 0);
    QCOMPARE(state.List3.size(), 0);
    QCOMPARE(state.TopicIndex, qint16(0));
    QCOMPARE(state.SearchMode, ModeTopicList);
    QCOMPARE(state.SearchDone, LegacyFalse);
    QCOMPARE(state.QueryUrl, QStringLiteral("_blank"));
    QCOMPARE(state.WantedCount, 7);
    QCOMPARE(state.FoundCount, 3);
    QCOMPARE(state.PageOffset, qint16(60));
}

void TestTopicCrawl::topicCrawlOverItsNames_data()
{
    QTest::addColumn<QString>("count");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("all three") << "30" << TopicNames;
    QTest::newRow("count 2") << "2" << TopicNames.mid(0, 2);
    QTest::newRow("count 0") << "0" << TopicNames.mid(0, 1);
}

void TestTopicCrawl::topicCrawlOverItsNames()
{
    QFETCH(QString, count);
    QFETCH(QStringList, names);

    CrawlRig rig;
    rig.serve = topicServer(topicListPage(QStringLiteral("热门DJ"), TopicNames));
    rig.window.count = count;
    rig.controller.topicClicked(8);

    QVERIFY(rig.loadPending());
    QCOMPARE(rig.state().List3, names);
    QCOMPARE(rig.state().SearchMode, ModeTopicStart);
    QCOMPARE(rig.browser.requests.last(), QStringLiteral("http://www.tavrel.example"));

    QVERIFY(rig.loadPending());
    QCOMPARE(rig.browser.requests.last(), firstResultPageUrl(names.first()));
    QCOMPARE(rig.state().TopicIndex, qint16(1));
    QCOMPARE(rig.state().SearchMode, ModeTopicWalk);
    QCOMPARE(rig.state().SearchDone, LegacyFalse);

    rig.loadUntilIdle();
    QStringList expectedRequests{QStringLiteral("http://list.mp3.baidu.com/list/dj.html#top10"),
                                 QStringLiteral("http://www.tavrel.example")};
    QStringList expectedTitles;
    for (const QString& name : names) {
        expectedRequests << firstResultPageUrl(name);
        expectedTitles << name + QStringLiteral("0 - Singer");
    }
    expectedRequests << rig.resultUrl();
    QCOMPARE(rig.browser.requests, expectedRequests);
    QCOMPARE(rig.state().List1.items(), expectedTitles);
    QCOMPARE(rig.state().List2.size(), names.size());
    QCOMPARE(rig.state().SearchMode, ModeKeyword);
    QCOMPARE(rig.state().SearchDone, LegacyTrue);
    QCOMPARE(rig.state().TopicIndex, qint16(names.size()));
    QVERIFY(rig.state().QueryUrl.isEmpty());
    QCOMPARE(rig.resultRows(), int(names.size()));
    QCOMPARE(rig.window.panel, FinishedText);
}

void TestTopicCrawl::emptyTopicListFinishesOnOneEmptyQuery()
{
    CrawlRig rig;
    rig.serve = topicServer(topicListPage(QStringLiteral("another topic"), TopicNames));
    rig.controller.topicClicked(0);
    rig.loadPending();
    QCOMPARE(rig.state().List3.size(), 0);
    rig.loadPending();
    QCOMPARE(rig.browser.requests.last(), firstResultPageUrl(QString()));
    QVERIFY(rig.browser.requests.last().endsWith(QStringLiteral("&word=&pn=0")));
    QCOMPARE(rig.state().SearchDone, LegacyTrue);
    QCOMPARE(rig.state().TopicIndex, qint16(1));

    // The empty keyword's page has records, but the crawl is done and takes none of them.
    rig.loadPending();
    QCOMPARE(rig.state().List1.count(), 0);
    QCOMPARE(rig.browser.requests.last(), rig.resultUrl());
    QCOMPARE(rig.resultRows(), 0);
    QCOMPARE(rig.state().SearchMode, ModeKeyword);
}

void TestTopicCrawl::topicWithoutFragmentAndMissingLabel()
{
    CrawlRig rig;
    rig.controller.topicClicked(9);
    rig.controller.topicClicked(13);
    rig.controller.topicClicked(-1);
    QVERIFY(rig.log.isEmpty());

    rig.controller.topicClicked(12);
    QCOMPARE(rig.browser.requests, QStringList{QStringLiteral("http://list.mp3.baidu.com/list/qgddp.html")});
    QCOMPARE(rig.window.keyword, QStringLiteral("情歌对对碰"));
}

QTEST_GUILESS_MAIN(TestTopicCrawl)
#include "tst_topiccrawl.moc"
