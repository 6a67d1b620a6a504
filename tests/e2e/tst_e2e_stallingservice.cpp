// SPDX-License-Identifier: MIT
// The whole program against a service that leaves every third page half sent for ever: the crawl
// waits, with no time limit, and a stop ends it at once with the songs found so far.
#include "app/browser/webbrowser.h"
#include "tests/e2e/e2efixture.h"

#include <QLabel>
#include <QTest>

using namespace Qorvin;
using namespace Qorvin::Test;

namespace {

// Long enough for a crawl that was going to move on to have moved on.
constexpr int StallSettleMs = 1500;

// Waits until a whole settle time passes without a new request; false when the result page
// shows first or the requests never settle.
bool requestsSettle(ServiceProcess& service, const WindowDriver& driver)
{
    qsizetype requests = -1;
    for (int round = 0; round < 20 && !driver.resultShown(); ++round) {
        if (requests == service.requestLog().size())
            return true;
        requests = service.requestLog().size();
        QTest::qWait(StallSettleMs);
    }
    return false;
}

} // namespace

class TestEndToEndStallingService : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { m_program.open(); }
    void cleanup() { m_program.close(); }

    void stalledSearchWaitsUntilStopped();
    void stalledTopicCrawlWaitsUntilStopped();

private:
    ServiceProcess m_service;
    ProgramUnderTest m_program;
};

void TestEndToEndStallingService::initTestCase()
{
    const QString error =
        m_service.start(serviceProgram(), {QStringLiteral("--stall-every"), QStringLiteral("3")});
    QVERIFY2(error.isEmpty(), qPrintable(error));
    m_service.becomeSystemProxy();
}

void TestEndToEndStallingService::stalledSearchWaitsUntilStopped()
{
    WindowDriver& driver = *m_program.driver;
    driver.startKeywordSearch(QStringLiteral("苏轼"), QStringLiteral("30000"));
    QTRY_VERIFY_WITH_TIMEOUT(!driver.foundSongs().isEmpty(), CrawlTimeoutMs);

    // Sooner or later a page stalls, and nothing more is requested.
    QVERIFY(requestsSettle(m_service, driver));
    QVERIFY(!driver.resultShown());
    const qsizetype songsBeforeStop = driver.foundSongs().size();

    driver.pressEnterInKeywordBox();
    QVERIFY(driver.waitForResultShown(StopAnswerMs));
    QCOMPARE(driver.foundSongs().size(), songsBeforeStop);
    QVERIFY(driver.browser()->innerHtml().contains(driver.foundSongs().constLast().link));
}

void TestEndToEndStallingService::stalledTopicCrawlWaitsUntilStopped()
{
    WindowDriver& driver = *m_program.driver;
    driver.typeInto(driver.countBox(), QStringLiteral("50"));
    QVERIFY(driver.clickTopic(1)); // "歌曲TOP500"
    requestsSettle(m_service, driver);
    QVERIFY(!driver.resultShown());

    // The start label reads "停止搜索" during a topic crawl; a click on it stops the crawl.
    auto* startStop = qobject_cast<QLabel*>(driver.control(QStringLiteral("Label6")));
    QVERIFY(startStop);
    QCOMPARE(startStop->text(), QStringLiteral("停止搜索"));
    driver.click(startStop);
    QVERIFY(driver.waitForResultShown(StopAnswerMs));
    QCOMPARE(startStop->text(), QStringLiteral("开始搜索"));
}

int main(int argc, char** argv)
{
    return runEndToEnd<TestEndToEndStallingService>(argc, argv);
}

#include "tst_e2e_stallingservice.moc"
