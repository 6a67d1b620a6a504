// SPDX-License-Identifier: MIT
#include "app/browser/navigationtracker.h"
#include "search/navigationurl.h"

#include <QTest>

using namespace Qorvin;

namespace {

QUrl url(const char* text)
{
    return QUrl(QString::fromLatin1(text));
}

} // namespace

class TestNavigationTracker : public QObject
{
    Q_OBJECT

private slots:
    void noRequestNoAnswer();
    void eachRequestAnsweredOnce();
    void lateNewsOfReplacedRequestIgnored();
    void loadAtAnotherAddressAnswersLatest();
    void moveWithinDocumentAnswersOnce();
    void sameDocument_data();
    void sameDocument();
};

void TestNavigationTracker::noRequestNoAnswer()
{
    NavigationTracker tracker;
    QVERIFY(!tracker.claimFinishedLoad(url("http://h/a")));
    QVERIFY(!tracker.claimWithoutLoad());
    QVERIFY(!tracker.isLatest(0));
}

void TestNavigationTracker::eachRequestAnsweredOnce()
{
    NavigationTracker tracker;
    const auto first = tracker.begin(url("http://h/a"));
    QCOMPARE(tracker.claimFinishedLoad(url("http://h/a")), first);
    // A page's own later loads (a script moving on, a link the user follows) answer nothing.
    QVERIFY(!tracker.claimFinishedLoad(url("http://h/a")));
    QVERIFY(!tracker.claimFinishedLoad(url("http://h/other")));

    const auto second = tracker.begin(url("http://h/a"));
    QVERIFY(second != first);
    QVERIFY(!tracker.isLatest(first));
    QCOMPARE(tracker.claimFinishedLoad(url("http://h/a")), second);
}

void TestNavigationTracker::lateNewsOfReplacedRequestIgnored()
{
    NavigationTracker tracker;
    tracker.begin(url("http://h/a"));
    tracker.begin(url("http://h/b"));
    const auto latest = tracker.begin(url("file:///tmp/result.htm"));
    QVERIFY(!tracker.claimFinishedLoad(url("http://h/a")));
    QVERIFY(!tracker.claimFinishedLoad(url("http://h/b#x")));
    QCOMPARE(tracker.claimFinishedLoad(url("file:///tmp/result.htm")), latest);
}

void TestNavigationTracker::loadAtAnotherAddressAnswersLatest()
{
    // A redirect, or the engine writing the address its own way: never left without an answer.
    NavigationTracker tracker;
    tracker.begin(url("http://h/a"));
    const auto latest = tracker.begin(url("http://h/b"));
    QCOMPARE(tracker.claimFinishedLoad(url("http://h/redirected")), latest);
}

void TestNavigationTracker::moveWithinDocumentAnswersOnce()
{
    NavigationTracker tracker;
    const auto serial = tracker.begin(url("http://h/m?w=a#b&pn=30"));
    QCOMPARE(tracker.claimWithoutLoad(), serial);
    QVERIFY(!tracker.claimWithoutLoad());
    QVERIFY(!tracker.claimFinishedLoad(url("http://h/m?w=a#b&pn=30")));
}

void TestNavigationTracker::sameDocument_data()
{
    QTest::addColumn<QUrl>("a");
    QTest::addColumn<QUrl>("b");
    QTest::addColumn<bool>("same");
    QTest::newRow("fragments differ") << url("http://h/p?q=1#x") << url("http://h/p?q=1#y") << true;
    QTest::newRow("queries differ") << url("http://h/p?q=1") << url("http://h/p?q=2") << false;
    QTest::newRow("dot segments") << url("http://h/a/../p") << url("http://h/p") << true;
    QTest::newRow("file escapes") << url("file:///tmp/a%20b/r.htm")
                                  << QUrl::fromLocalFile(QStringLiteral("/tmp/a b/r.htm")) << true;
    QTest::newRow("host case") << url("http://MP3.baidu.com/p") << url("http://mp3.baidu.com/p") << true;
}

void TestNavigationTracker::sameDocument()
{
    QFETCH(QUrl, a);
    QFETCH(QUrl, b);
    QFETCH(bool, same);
    QCOMPARE(Qorvin::sameDocument(a, b), same);
}

QTEST_GUILESS_MAIN(TestNavigationTracker)
#include "tst_navigationtracker.moc"
