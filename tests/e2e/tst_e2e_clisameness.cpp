// SPDX-License-Identifier: MIT
// The command line and the window on the same service, one after the other: the same requests
// in the same order (less the topic crawl's stop at the maker's home page) and the same result
// page, byte for byte.
#include "tests/e2e/cliprocess.h"
#include "tests/e2e/e2efixture.h"
#include "tests/filecontents.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qorvin;
using namespace Qorvin::Test;

namespace {

QByteArrayList settledLog(ServiceProcess& service)
{
    QByteArrayList log = service.requestLog();
    for (qsizetype before = -1; before != log.size();) {
        before = log.size();
        QTest::qWait(100);
        log = service.requestLog();
    }
    return log;
}

// The pages asked for since log line `from`, without the maker's home page.
QByteArrayList pageRequests(ServiceProcess& service, qsizetype from)
{
    QByteArrayList targets;
    const QByteArrayList log = settledLog(service);
    for (qsizetype i = from; i < log.size(); ++i) {
        const QByteArray target = log.at(i).split(' ').value(1);
        if (!target.startsWith("http://www.tavrel.example"))
            targets.append(target);
    }
    return targets;
}

} // namespace

class TestCliSameAsWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sameRequestsSamePage_data();
    void sameRequestsSamePage();

private:
    ServiceProcess m_service;
};

void TestCliSameAsWindow::initTestCase()
{
    const QString error = m_service.start(serviceProgram());
    QVERIFY2(error.isEmpty(), qPrintable(error));
    m_service.becomeSystemProxy();
}

void TestCliSameAsWindow::sameRequestsSamePage_data()
{
    QTest::addColumn<int>("topic"); // the LabelTitle index; -1 for a keyword search
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<QString>("count");
    QTest::newRow("several pages") << -1 << "苏轼"
                                   << "100";
    QTest::newRow("keyword with blanks around it") << -1 << " 柳永 "
                                                   << "45";
    QTest::newRow("count rounded half to even") << -1 << "春"
                                                << "2.5";
    QTest::newRow("keyword with an ampersand") << -1 << "苏轼&x"
                                               << "31";
    QTest::newRow("topic 热门DJ") << 8 << "热门DJ"
                                  << "5";
    QTest::newRow("topic 歌手列表") << 5 << "歌手列表"
                                    << "4";
    QTest::newRow("topic 新歌TOP100") << 0 << "新歌TOP100"
                                      << "12";
}

void TestCliSameAsWindow::sameRequestsSamePage()
{
    QFETCH(int, topic);
    QFETCH(QString, keyword);
    QFETCH(QString, count);

    // The window, worked by keyboard and mouse.
    const qsizetype windowMark = settledLog(m_service).size();
    ProgramUnderTest program;
    program.open();
    WindowDriver& driver = *program.driver;
    if (topic < 0) {
        driver.startKeywordSearch(keyword, count);
    } else {
        driver.typeInto(driver.countBox(), count);
        QVERIFY(driver.clickTopic(topic));
    }
    QVERIFY(driver.waitForResultShown(CrawlTimeoutMs));
    const QByteArray windowPage = readFile(driver.resultFilePath());
    program.close();
    const QByteArrayList windowRequests = pageRequests(m_service, windowMark);

    // The command line on the same service.
    QTemporaryDir folder;
    const qsizetype cliMark = settledLog(m_service).size();
    const QStringList arguments = topic < 0 ? QStringList{QStringLiteral("search"), keyword}
                                            : QStringList{QStringLiteral("topic"), keyword};
    const CliResult run = runCli(arguments + QStringList{QStringLiteral("-n"), count, QStringLiteral("-q"),
                                                         QStringLiteral("-o"), QStringLiteral("cli.htm")},
                                 m_service.port(), folder.path());
    QCOMPARE(run.exitCode, 0);
    const QByteArrayList cliRequests = pageRequests(m_service, cliMark);

    QVERIFY(!windowRequests.isEmpty());
    QCOMPARE(cliRequests, windowRequests);
    QVERIFY(!windowPage.isEmpty());
    QCOMPARE(readFile(folder.filePath(QStringLiteral("cli.htm"))), windowPage);
}

int main(int argc, char** argv)
{
    return runEndToEnd<TestCliSameAsWindow>(argc, argv);
}

#include "tst_e2e_clisameness.moc"
