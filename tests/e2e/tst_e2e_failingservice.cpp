// SPDX-License-Identifier: MIT
// The whole program against a service that fails every second page, alternately with a 500 page
// and a reset connection: the engine's error page counts as a page, and the crawl goes on.
#include "app/browser/webbrowser.h"
#include "tests/e2e/e2efixture.h"

#include <QSet>
#include <QSignalSpy>
#include <QTest>

using namespace Qorvin;
using namespace Qorvin::Test;

class TestEndToEndFailingService : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { m_program.open(); }
    void cleanup() { m_program.close(); }

    void searchGoesOnPastFailedPages();
    void stopEndsCrawlAtOnce();

private:
    ServiceProcess m_service;
    ProgramUnderTest m_program;
};

void TestEndToEndFailingService::initTestCase()
{
    const QString error =
        m_service.start(serviceProgram(), {QStringLiteral("--fail-every"), QStringLiteral("2")});
    QVERIFY2(error.isEmpty(), qPrintable(error));
    m_service.becomeSystemProxy();
}

void TestEndToEndFailingService::searchGoesOnPastFailedPages()
{
    WindowDriver& driver = *m_program.driver;
    QSignalSpy pageEvents(driver.browser(), &WebBrowser::DocumentComplete);
    driver.startKeywordSearch(QStringLiteral("苏轼"), QStringLiteral("90"));
    QVERIFY(driver.waitForResultShown(CrawlTimeoutMs));
    QCOMPARE(driver.foundSongs().size(), 90);
    QCOMPARE(driver.statusText(), QStringLiteral("本次搜索完成!"));

    // Every search page asked for raised its event, failed ones included, and so did the result
    // page. (The engine itself asks again once after a reset connection.)
    QSet<QByteArray> searchPages;
    for (const QByteArray& line : m_service.requestLog()) {
        if (line.contains("tn=baidump3"))
            searchPages.insert(line.split(' ').value(1));
    }
    QVERIFY(m_service.countRequestsContaining(" 500 ") >= 1);
    QCOMPARE(pageEvents.count(), searchPages.size() + 1);
}

void TestEndToEndFailingService::stopEndsCrawlAtOnce()
{
    WindowDriver& driver = *m_program.driver;
    driver.startKeywordSearch(QStringLiteral("苏轼"), QStringLiteral("30000"));
    QTRY_VERIFY_WITH_TIMEOUT(driver.foundSongs().size() >= 60, CrawlTimeoutMs);
    driver.pressEnterInKeywordBox();
    QVERIFY(driver.waitForResultShown(StopAnswerMs));
    QVERIFY(driver.foundSongs().size() >= 60);
}

int main(int argc, char** argv)
{
    return runEndToEnd<TestEndToEndFailingService>(argc, argv);
}

#include "tst_e2e_failingservice.moc"
