// SPDX-License-Identifier: MIT
// The controller's handlers one at a time: refusals, the keyword start, the road of a keyword
// search, and the ends of a crawl, including a result page that cannot be saved.
#include "resultpage/resultpagewriter.h"
#include "search/topictable.h"
#include "tests/search/crawlrig.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace Qorvin;
using namespace Qorvin::Test;

namespace {

const QString FinishedText = QStringLiteral("本次搜索完成!");
const QString SaveFailedText = QStringLiteral("保存搜索结果失败!");

} // namespace

class TestCrawlController : public QObject
{
    Q_OBJECT

private slots:
    void pageLoadWithoutCrawlChangesNothing();
    void badInputIsRefusedBeforeAnythingChanges_data();
    void badInputIsRefusedBeforeAnythingChanges();
    void badInputDuringCrawlChangesNothing();
    void keywordStartStepsInOrder();
    void keywordSearchOverThreePages();
    void firstPageHoldsWantedCount_data();
    void firstPageHoldsWantedCount();
    void newSearchAfterFinishStartsAtOffsetZero();
    void stopRightAfterStartShowsEmptyResult_data();
    void stopRightAfterStartShowsEmptyResult();
    void pageOffsetStopsAtItsLastPage();
    void unsavedResultIsNotShown_data();
    void unsavedResultIsNotShown();
    void chosenResultFileTakesThePage_data();
    void chosenResultFileTakesThePage();
};

void TestCrawlController::pageLoadWithoutCrawlChangesNothing()
{
    CrawlRig rig;
    QCOMPARE(rig.state().SearchDone, LegacyTrue);
    rig.controller.state().Text1.set(QStringLiteral("old text"));
    rig.browser.html = keywordResultPage({{QStringLiteral("A - B"), songLink(QStringLiteral("a"), 1)}});
    rig.controller.PageLoadDispatcher();
    QCOMPARE(rig.state().Text1.text(), QStringLiteral("old text"));
    QVERIFY(rig.log.isEmpty());
    QCOMPARE(rig.state().List1.count(), 0);
}

void TestCrawlController::badInputIsRefusedBeforeAnythingChanges_data()
{
    QTest::addColumn<QString>("count");
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<QString>("focus");

    QTest::newRow("letters") << "abc"
                             << "abc"
                             << "focus:count";
    QTest::newRow("empty count") << ""
                                 << "abc"
                                 << "focus:count";
    QTest::newRow("count checked first") << "abc"
                                         << "   "
                                         << "focus:count";
    QTest::newRow("above 32-bit") << "2147483648"
                                  << "abc"
                                  << "focus:count";
    QTest::newRow("below 32-bit") << "-2147483649"
                                  << "abc"
                                  << "focus:count";
    QTest::newRow("rounds past 32-bit") << "2147483647.5"
                                        << "abc"
                                        << "focus:count";
    QTest::newRow("past 32-bit, keyword checked next") << "2147483648"
                                                       << "   "
                                                       << "focus:keyword";
    QTest::newRow("blank keyword") << "30"
                                   << "   "
                                   << "focus:keyword";
    QTest::newRow("empty keyword") << "30"
                                   << ""
                                   << "focus:keyword";
}

void TestCrawlController::badInputIsRefusedBeforeAnythingChanges()
{
    QFETCH(QString, count);
    QFETCH(QString, keyword);
    QFETCH(QString, focus);

    CrawlRig rig;
    rig.controller.state().List1.append(QStringLiteral("kept"));
    rig.controller.state().List2.append(QStringLiteral("kept"));
    rig.start(keyword, count);
    QCOMPARE(rig.log, QStringList{focus});
    QCOMPARE(rig.window.caption, startCaption());
    QVERIFY(rig.state().QueryUrl.isEmpty());
    QCOMPARE(rig.state().WantedCount, 0);
    QCOMPARE(rig.state().SearchDone, LegacyTrue);
    QCOMPARE(rig.state().List1.count(), 1);
    QCOMPARE(rig.state().List2.size(), 1);
}

void TestCrawlController::badInputDuringCrawlChangesNothing()
{
    CrawlRig rig;
    rig.serve = keywordServer(10);
    rig.start(QStringLiteral("abc"));
    rig.loadPending();
    const QStringList titles = rig.state().List1.items();
    const QString queryUrl = rig.state().QueryUrl;
    rig.log.clear();

    rig.window.count = QStringLiteral("many");
    rig.controller.startStopClicked();
    rig.window.count = QStringLiteral("30");
    rig.window.keyword = QStringLiteral(" ");
    rig.controller.keywordKeyPressed(13);
    rig.window.keyword = QStringLiteral("abc");
    for (const QString& count : {QStringLiteral("ten"), QStringLiteral(""), QStringLiteral("1e10")}) {
        rig.window.count = count;
        rig.controller.topicClicked(2);
    }

    QCOMPARE(rig.log, (QStringList{QStringLiteral("focus:count"), QStringLiteral("focus:keyword")}
                       << QStringList(3, QStringLiteral("focus:count"))));
    QVERIFY(rig.window.topicMenuVisible);
    QCOMPARE(rig.state().List1.items(), titles);
    QCOMPARE(rig.state().QueryUrl, queryUrl);
    QCOMPARE(rig.state().SearchMode, ModeKeyword);
    QCOMPARE(rig.state().SearchDone, LegacyFalse);
    QCOMPARE(rig.window.caption, stopCaption());
    QCOMPARE(rig.window.keyword, QStringLiteral("abc"));
}

void TestCrawlController::keywordStartStepsInOrder()
{
    CrawlRig rig;
    CrawlState& state = rig.controller.state();
    state.FoundCount = 7;
    state.PageOffset = 90;
    state.SearchMode = ModeStopped;
    state.List1.append(QStringLiteral("old - song"));
    state.List2.append(QStringLiteral("old.mp3"));
    state.List3.append(QStringLiteral("old name"));

    bool checkedAtYield = false;
    rig.window.onYield = [&](int) {
        // The state is set before the yield, QueryUrl only after it.
        QCOMPARE(state.WantedCount, 2);
        QCOMPARE(state.FoundCount, 0);
        QCOMPARE(state.SearchDone, LegacyFalse);
        QCOMPARE(state.SearchMode, ModeKeyword);
        QCOMPARE(state.PageOffset, qint16(0));
        QVERIFY(state.QueryUrl.isEmpty());
        QCOMPARE(state.List1.count(), 1);
        checkedAtYield = true;
    };
    rig.start(QStringLiteral("  abc  "), QStringLiteral("2.5"));

    QVERIFY(checkedAtYield);
    const QString preparing = QStringLiteral("开始准备搜索,请保持网络通畅...");
    QCOMPARE(rig.log,
             (QStringList{QStringLiteral("label8:开始搜索,请等待..."),
                          QStringLiteral("label6:") + stopCaption(), QStringLiteral("panel:") + preparing,
                          QStringLiteral("label8:") + preparing, QStringLiteral("yield"),
                          QStringLiteral("navigate:") + firstResultPageUrl(QStringLiteral("abc")),
                          QStringLiteral("picture2:front")}));
    QVERIFY(rig.browser.requests.first().endsWith(QStringLiteral("&word=abc&pn=0")));
    QCOMPARE(state.QueryUrl, keywordQueryUrl(QStringLiteral("abc")));
    QCOMPARE(rig.window.keyword, QStringLiteral("  abc  "));
    QCOMPARE(state.List1.count(), 0);
    QCOMPARE(state.List2.size(), 0);
    QCOMPARE(state.List3.size(), 1);
}

void TestCrawlController::keywordSearchOverThreePages()
{
    CrawlRig rig;
    rig.serve = keywordServer(10);
    rig.start(QStringLiteral("abc"), QStringLiteral("25"));
    QCOMPARE(rig.loadUntilIdle(), 4); // three result pages and the local page

    QCOMPARE(rig.browser.requests,
             (QStringList{resultPageRequest(QStringLiteral("abc"), 0),
                          resultPageRequest(QStringLiteral("abc"), 30),
                          resultPageRequest(QStringLiteral("abc"), 60), rig.resultUrl()}));
    QCOMPARE(rig.state().FoundCount, 25);
    QCOMPARE(rig.state().List1.count(), 25);
    QCOMPARE(rig.state().List2.size(), 25);
    QCOMPARE(rig.state().List1.at(24), QStringLiteral("abc64 - Singer"));
    QCOMPARE(rig.state().SearchDone, LegacyTrue);
    QCOMPARE(rig.state().SearchMode, ModeKeyword);
    QCOMPARE(rig.state().PageOffset, qint16(60));
    QVERIFY(rig.state().QueryUrl.isEmpty());
    QCOMPARE(rig.resultRows(), 25);
    QVERIFY(rig.resultBytes().contains("abc64.mp3"));

    // The end sequence, in its order; the start label keeps "停止搜索" behind the hidden panel.
    QCOMPARE(rig.log.mid(rig.log.size() - 5),
             (QStringList{QStringLiteral("panel:") + FinishedText, QStringLiteral("label8:") + FinishedText,
                          QStringLiteral("browser:show"), QStringLiteral("navigate:") + rig.resultUrl(),
                          QStringLiteral("picture2:hide")}));
    QCOMPARE(rig.window.caption, stopCaption());
    QVERIFY(!rig.window.searchPanelVisible);
    QVERIFY(rig.browser.visible);

    // The result page's own load (and any later page) is ignored.
    const QString tail = rig.state().Text1.text();
    rig.loadAgain();
    QCOMPARE(rig.state().Text1.text(), tail);
    QCOMPARE(rig.browser.requests.size(), 4);
}

void TestCrawlController::firstPageHoldsWantedCount_data()
{
    QTest::addColumn<QString>("count");
    QTest::addColumn<int>("songs");
    QTest::newRow("exactly one page") << "10" << 10;
    // A count of zero or below still takes one song.
    QTest::newRow("zero") << "0" << 1;
    QTest::newRow("negative") << "-3" << 1;
    QTest::newRow("rounds to zero") << "0.5" << 1;
}

void TestCrawlController::firstPageHoldsWantedCount()
{
    QFETCH(QString, count);
    QFETCH(int, songs);
    CrawlRig rig;
    rig.serve = keywordServer(10);
    rig.start(QStringLiteral("abc"), count);
    QCOMPARE(rig.loadUntilIdle(), 2);
    QCOMPARE(rig.browser.requests,
             (QStringList{resultPageRequest(QStringLiteral("abc"), 0), rig.resultUrl()}));
    QCOMPARE(rig.state().List1.count(), songs);
    QCOMPARE(rig.window.panel, FinishedText);
    QCOMPARE(rig.resultRows(), songs);
}

void TestCrawlController::newSearchAfterFinishStartsAtOffsetZero()
{
    CrawlRig rig;
    rig.serve = keywordServer(10);
    rig.start(QStringLiteral("abc"), QStringLiteral("15"));
    rig.loadUntilIdle();
    QCOMPARE(rig.state().PageOffset, qint16(30));

    rig.window.returnToSearchHome();
    const qsizetype earlierRequests = rig.browser.requests.size();
    rig.start(QStringLiteral("def"), QStringLiteral("15"));
    QCOMPARE(rig.state().PageOffset, qint16(0));
    QCOMPARE(rig.state().List1.count(), 0);
    rig.loadUntilIdle();
    QCOMPARE(rig.browser.requests.mid(earlierRequests),
             (QStringList{resultPageRequest(QStringLiteral("def"), 0),
                          resultPageRequest(QStringLiteral("def"), 30), rig.resultUrl()}));
    QCOMPARE(rig.state().List1.at(0), QStringLiteral("def0 - Singer"));
}

void TestCrawlController::stopRightAfterStartShowsEmptyResult_data()
{
    QTest::addColumn<bool>("byEnter");
    QTest::addColumn<QString>("stopCount");
    QTest::newRow("start label") << false << QStringLiteral("30");
    QTest::newRow("Enter in the keyword box") << true << QStringLiteral("30");
    // Numeric but past 32 bits: a start refuses it, a stop does not need it.
    QTest::newRow("count past 32-bit") << false << QStringLiteral("2147483648");
    QTest::newRow("exponent past 32-bit, Enter") << true << QStringLiteral("1e10");
}

void TestCrawlController::stopRightAfterStartShowsEmptyResult()
{
    QFETCH(bool, byEnter);
    QFETCH(QString, stopCount);
    CrawlRig rig;
    rig.serve = keywordServer(10);
    rig.window.keyword = QStringLiteral("abc");
    const auto startStop = [&] {
        if (byEnter)
            rig.controller.keywordKeyPressed(13);
        else
            rig.controller.startStopClicked();
    };
    // Other keys are typing, not a click on the label.
    rig.controller.keywordKeyPressed(10);
    rig.controller.keywordKeyPressed(32);
    QVERIFY(rig.log.isEmpty());

    startStop();
    QCOMPARE(rig.browser.requests, QStringList{firstResultPageUrl(QStringLiteral("abc"))});
    QCOMPARE(rig.window.caption, stopCaption());
    rig.log.clear();
    rig.window.count = stopCount;
    startStop();

    QCOMPARE(rig.log,
             (QStringList{QStringLiteral("panel:") + FinishedText, QStringLiteral("label8:") + FinishedText,
                          QStringLiteral("navigate:") + rig.resultUrl(), QStringLiteral("browser:show"),
                          QStringLiteral("picture2:hide"), QStringLiteral("label6:") + startCaption()}));
    QCOMPARE(rig.resultRows(), 0);
    QCOMPARE(rig.state().SearchMode, ModeStopped);
    QCOMPARE(rig.state().SearchDone, LegacyTrue);
    QVERIFY(rig.state().QueryUrl.isEmpty());

    // The result page loads and is ignored; a new search after the stop runs from offset 0.
    rig.loadUntilIdle();
    QCOMPARE(rig.state().List1.count(), 0);
    rig.window.count = QStringLiteral("30");
    startStop();
    QCOMPARE(rig.browser.requests.last(), resultPageRequest(QStringLiteral("abc"), 0));
    QCOMPARE(rig.state().SearchMode, ModeKeyword);
    rig.loadPending();
    QCOMPARE(rig.state().List1.count(), 10);
    QCOMPARE(rig.browser.requests.last(), resultPageRequest(QStringLiteral("abc"), 30));
}

void TestCrawlController::pageOffsetStopsAtItsLastPage()
{
    // The service has run out of results: every page is empty.
    CrawlRig rig;
    rig.serve = keywordServer(0);
    rig.start(QStringLiteral("abc"));
    rig.loadPending();
    QCOMPARE(rig.browser.requests.last(), resultPageRequest(QStringLiteral("abc"), 30));

    rig.controller.state().PageOffset = 32730;
    rig.loadPending();
    QCOMPARE(rig.browser.requests.last(), resultPageRequest(QStringLiteral("abc"), 32760));
    QVERIFY(!rig.state().QueryUrl.isEmpty());

    // The highest offset has been read: the search ends with what it found.
    rig.loadPending();
    QCOMPARE(rig.browser.requests.count(resultPageRequest(QStringLiteral("abc"), 32760)), 1);
    QCOMPARE(rig.browser.requests.last(), rig.resultUrl());
    QCOMPARE(rig.state().PageOffset, qint16(32760));
    QCOMPARE(rig.state().SearchDone, LegacyTrue);
    QVERIFY(rig.state().QueryUrl.isEmpty());
    QCOMPARE(rig.window.panel, FinishedText);
    QCOMPARE(rig.resultRows(), 0);
}

void TestCrawlController::unsavedResultIsNotShown_data()
{
    QTest::addColumn<bool>("byStop");
    QTest::newRow("finish") << false;
    QTest::newRow("stop") << true;
}

void TestCrawlController::unsavedResultIsNotShown()
{
    QFETCH(bool, byStop);

    CrawlRig rig;
    // A folder where result.htm should be: the folder is writable, the page cannot be saved.
    QVERIFY(QDir(rig.programFolder.path()).mkdir(QStringLiteral("result.htm")));
    rig.serve = keywordServer(10);
    rig.start(QStringLiteral("abc"), QStringLiteral("5"));
    rig.log.clear();
    if (byStop)
        rig.controller.startStopClicked();
    else
        rig.loadPending();

    QVERIFY(rig.window.panel.startsWith(SaveFailedText));
    QVERIFY(rig.window.panel.size() > SaveFailedText.size());
    QCOMPARE(rig.window.label8, rig.window.panel);
    QVERIFY(!rig.browser.requests.contains(rig.resultUrl()));
    QVERIFY(!rig.log.contains(QStringLiteral("picture2:hide")));
    QVERIFY(rig.log.contains(QStringLiteral("picture2:front")));
    QVERIFY(rig.window.searchPanelVisible);
    QCOMPARE(rig.window.caption, startCaption());
    QCOMPARE(rig.state().SearchDone, LegacyTrue);
    QVERIFY(rig.state().QueryUrl.isEmpty());
    QCOMPARE(rig.state().SearchMode, byStop ? ModeStopped : ModeKeyword);

    // The crawl has ended: later page loads are ignored and the label starts a new search.
    rig.loadUntilIdle();
    QCOMPARE(rig.state().List1.count(), byStop ? 0 : 5);
    rig.controller.startStopClicked();
    QCOMPARE(rig.browser.requests.last(), resultPageRequest(QStringLiteral("abc"), 0));
}

void TestCrawlController::chosenResultFileTakesThePage_data()
{
    QTest::addColumn<bool>("byStop");
    QTest::newRow("finish") << false;
    QTest::newRow("stop") << true;
}

void TestCrawlController::chosenResultFileTakesThePage()
{
    QFETCH(bool, byStop);

    CrawlRig rig;
    QTemporaryDir elsewhere;
    const QString chosen = elsewhere.filePath(QStringLiteral("songs of abc.htm"));
    rig.controller.setResultFile(chosen);
    rig.serve = keywordServer(10);
    rig.start(QStringLiteral("abc"), QStringLiteral("5"));
    if (byStop)
        rig.controller.startStopClicked();
    else
        rig.loadPending();

    QFile page(chosen);
    QVERIFY(page.open(QIODevice::ReadOnly));
    QCOMPARE(page.readAll(),
             resultPageBytes(QStringLiteral("abc"), rig.state().List1.items(), rig.state().List2));
    QCOMPARE(rig.browser.requests.last(), QUrl::fromLocalFile(chosen).toString());
    QVERIFY(!QFile::exists(rig.programFolder.filePath(QStringLiteral("result.htm"))));
    QCOMPARE(rig.window.panel, FinishedText);

    // Back to the program's folder for the next crawl.
    rig.controller.setResultFile({});
    rig.controller.startStopClicked();
    rig.controller.startStopClicked();
    QVERIFY(QFile::exists(rig.programFolder.filePath(QStringLiteral("result.htm"))));
}

QTEST_GUILESS_MAIN(TestCrawlController)
#include "tst_crawlcontroller.moc"
