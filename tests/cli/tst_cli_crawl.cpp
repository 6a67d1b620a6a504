// SPDX-License-Identifier: MIT
// mp3qorvin-cli against the local service: a search, a topic crawl, refusals, results that run
// out, Ctrl-C, a service out of reach and one that fails now and then.
#include "tests/e2e/cliprocess.h"
#include "tests/e2e/serviceprocess.h"
#include "tests/filecontents.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace Qorvin::Test;

namespace {

const QByteArray SushiQuery = "tn=baidump3&word=%CB%D5%E9%F8&pn=";

// Rows of a result page: 140 lines and 7 more per song; -1 when it is not of that shape.
int resultRows(const QByteArray& page)
{
    const qsizetype lines = page.count("\r\n");
    if (lines < 140 || (lines - 140) % 7 != 0)
        return -1;
    return static_cast<int>((lines - 140) / 7);
}

// The service's log once its lines have all been read: the service writes a line as it answers,
// and the test reads them only while its own event loop runs.
QByteArrayList settledLog(ServiceProcess& service)
{
    QByteArrayList log = service.requestLog();
    for (qsizetype before = -1; before != log.size();) {
        before = log.size();
        QTest::qWait(50);
        log = service.requestLog();
    }
    return log;
}

// The targets the service was asked for, from log line `from` on.
QByteArrayList requestTargets(ServiceProcess& service, qsizetype from)
{
    QByteArrayList targets;
    const QByteArrayList log = settledLog(service);
    for (qsizetype i = from; i < log.size(); ++i)
        targets.append(log.at(i).split(' ').value(1));
    return targets;
}

QStringList args(std::initializer_list<const char*> arguments)
{
    QStringList list;
    for (const char* argument : arguments)
        list.append(QString::fromUtf8(argument));
    return list;
}

// The link of a song line "N. title  link".
QByteArray linkOf(const QByteArray& line)
{
    return line.mid(line.lastIndexOf("  ") + 2);
}

bool hasChinese(const QByteArray& utf8)
{
    const QString text = QString::fromUtf8(utf8);
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() >= 0x4E00; });
}

quint16 closedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return server.serverPort(); // closed again when server goes
}

} // namespace

class TestCliCrawl : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void keywordSearch();
    void topicCrawl();
    void refusedBeforeAnyRequest_data();
    void refusedBeforeAnyRequest();
    void resultsRunOut_data();
    void resultsRunOut();
    void interruptWritesSongsSoFar();
    void unreachableServiceFails();
    void failingPagesAreFetchedAgain();
    void pageCutShortIsFetchedAgain();
    void downloadsTheSongs_data();
    void downloadsTheSongs();
    void downloadsIntoTheSameFolderAgain_data();
    void downloadsIntoTheSameFolderAgain();

private:
    ServiceProcess m_service;
    QTemporaryDir m_dataHome; // the programs' per-user data folder, apart from the user's own
    std::unique_ptr<QTemporaryDir> m_folder;
    qsizetype m_logMark = 0;

    QString path(const char* name) const { return m_folder->filePath(QString::fromUtf8(name)); }
    CliResult cli(const QStringList& arguments)
    {
        return runCli(arguments, m_service.port(), m_folder->path());
    }
};

void TestCliCrawl::initTestCase()
{
    QVERIFY(m_dataHome.isValid());
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dataHome.path()));
    const QString error = m_service.start(QStringLiteral(QORVIN_SERVICE_PROGRAM));
    QVERIFY2(error.isEmpty(), qPrintable(error));
}

void TestCliCrawl::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    m_logMark = settledLog(m_service).size();
}

void TestCliCrawl::keywordSearch()
{
    const CliResult run = cli(args({"search", " 苏轼 ", "-n", "100", "-o", "sushi.htm"}));
    QCOMPARE(run.exitCode, 0);

    // Page after page of the trimmed keyword in GBK, from offset 0, and nothing else.
    const QByteArrayList targets = requestTargets(m_service, m_logMark);
    QVERIFY(targets.size() >= 4);
    for (qsizetype i = 0; i < targets.size(); ++i)
        QVERIFY2(targets.at(i).endsWith(SushiQuery + QByteArray::number(30 * i)), targets.at(i).constData());

    const QByteArray page = readFile(path("sushi.htm"));
    QCOMPARE(resultRows(page), 100);
    // The page shows the keyword as given, blanks included.
    QVERIFY(QStringDecoder("GBK").decode(page).operator QString().contains(QStringLiteral(" 苏轼 ")));
    QVERIFY(!QFile::exists(path("result.htm")));

    // One line per song, "N. title  link", each link also on the result page.
    const QList<QByteArray> lines = run.out.trimmed().split('\n');
    QCOMPARE(lines.size(), 100);
    QVERIFY(lines.first().startsWith("1. "));
    QVERIFY(lines.last().startsWith("100. "));
    for (const QByteArray& line : lines)
        QVERIFY2(linkOf(line).startsWith("http://") && page.contains(linkOf(line)), line.constData());
    QVERIFY(hasChinese(run.err)); // progress lines
}

void TestCliCrawl::topicCrawl()
{
    const CliResult run = cli(args({"topic", "热门DJ ", "-n", "5", "--json", "-q"}));
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.err.isEmpty());

    // The list page, then one search per name; the maker's home page is not asked for.
    const QByteArrayList targets = requestTargets(m_service, m_logMark);
    QCOMPARE(targets.value(0), QByteArray("http://list.mp3.baidu.com/list/dj.html"));
    QCOMPARE(targets.size(), 6);
    for (qsizetype i = 1; i < targets.size(); ++i)
        QVERIFY2(targets.at(i).contains("tn=baidump3&word=") && targets.at(i).endsWith("&pn=0"),
                 targets.at(i).constData());

    QJsonParseError error{};
    const QJsonArray songs = QJsonDocument::fromJson(run.out, &error).array();
    QCOMPARE(error.error, QJsonParseError::NoError);
    QVERIFY(!songs.isEmpty() && songs.size() <= 5);
    const QByteArray page = readFile(path("result.htm"));
    QCOMPARE(resultRows(page), songs.size());
    for (const QJsonValue& song : songs) {
        const QString title = song.toObject().value(QStringLiteral("title")).toString();
        QVERIFY(!title.isEmpty() && !title.contains(u'<') && !title.contains(u'&'));
        QVERIFY(page.contains(song.toObject().value(QStringLiteral("link")).toString().toLatin1()));
    }
    QVERIFY(QStringDecoder("GBK").decode(page).operator QString().contains(QStringLiteral("热门DJ")));
}

void TestCliCrawl::refusedBeforeAnyRequest_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    auto row = [](const char* name, std::initializer_list<const char*> arguments, int exitCode) {
        QTest::newRow(name) << args(arguments) << exitCode;
    };
    row("letters as count", {"search", "苏轼", "-n", "abc"}, 2);
    row("empty count", {"search", "苏轼", "-n", ""}, 2);
    row("count past 32 bits", {"search", "苏轼", "-n", "99999999999"}, 2);
    row("topic with letters as count", {"topic", "热门DJ", "-n", "x"}, 2);
    row("keyword of blanks", {"search", "   "}, 2);
    row("unknown topic", {"topic", "热门"}, 2);
    row("result page in a missing folder", {"search", "苏轼", "-o", "missing/result.htm"}, 1);
    row("playlist in a missing folder", {"search", "苏轼", "--m3u", "missing/list.m3u"}, 1);
    row("result page named like a folder", {"search", "苏轼", "-o", "."}, 1);
}

void TestCliCrawl::refusedBeforeAnyRequest()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    const CliResult run = cli(arguments);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(hasChinese(run.err), run.err.constData());
    QVERIFY(run.out.isEmpty());
    QCOMPARE(settledLog(m_service).size(), m_logMark);
    QVERIFY(QDir(m_folder->path()).isEmpty());
}

void TestCliCrawl::resultsRunOut_data()
{
    QTest::addColumn<int>("maxEmptyPages");
    QTest::addColumn<int>("requests");
    QTest::newRow("nothing found, default") << -1 << 3;
    QTest::newRow("nothing found, one page") << 1 << 1;
    QTest::newRow("nothing found, five pages") << 5 << 5;
}

void TestCliCrawl::resultsRunOut()
{
    QFETCH(int, maxEmptyPages);
    QFETCH(int, requests);
    QStringList arguments = args({"search", "no-such-song", "-n", "10"});
    if (maxEmptyPages >= 0)
        arguments << QStringLiteral("--max-empty-pages") << QString::number(maxEmptyPages);
    const CliResult run = cli(arguments);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(requestTargets(m_service, m_logMark).size(), requests);
    QCOMPARE(resultRows(readFile(path("result.htm"))), 0);
}

void TestCliCrawl::interruptWritesSongsSoFar()
{
    // A slow service keeps the crawl going long enough to be interrupted in the middle.
    ServiceProcess slowService;
    const QString error = slowService.start(QStringLiteral(QORVIN_SERVICE_PROGRAM),
                                            {QStringLiteral("--delay-ms"), QStringLiteral("100")});
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QProcess process;
    prepareCli(process, args({"search", "苏轼", "-n", "30000"}), slowService.port(), m_folder->path());
    process.start();
    QVERIFY(process.waitForStarted());
    QByteArray progress;
    QTRY_VERIFY_WITH_TIMEOUT(
        (progress += process.readAllStandardError()).contains(QStringLiteral("第3页").toUtf8()), 20000);

    QElapsedTimer sinceInterrupt;
    sinceInterrupt.start();
    QCOMPARE(::kill(static_cast<pid_t>(process.processId()), SIGINT), 0);
    QVERIFY(process.waitForFinished(5000));
    QVERIFY2(sinceInterrupt.elapsed() < 1000, qPrintable(QString::number(sinceInterrupt.elapsed())));
    const CliResult run = finishedCli(process);
    QVERIFY(!run.crashed);
    QCOMPARE(run.exitCode, 130);
    const int songs = resultRows(readFile(path("result.htm")));
    QVERIFY(songs >= 60 && songs < 30000);
    QCOMPARE(run.out.count('\n'), songs);
    // Nothing asked for after the stop. The page asked for just before it is still answered (and
    // logged) once its delay is over: the service answers a client that closed its sending side.
    QTest::qWait(300);
    const qsizetype requests = settledLog(slowService).size();
    QTest::qWait(300);
    QCOMPARE(settledLog(slowService).size(), requests);
}

void TestCliCrawl::unreachableServiceFails()
{
    const CliResult run = runCli(args({"search", "苏轼"}), closedPort(), m_folder->path());
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(hasChinese(run.err), run.err.constData());
    // No empty page in place of an earlier result.
    QVERIFY(!QFile::exists(path("result.htm")));
}

void TestCliCrawl::failingPagesAreFetchedAgain()
{
    // Every third page fails, in turn with a 500 page and a reset connection; the retries make up
    // for them, so the result is the one a sound service gives.
    ServiceProcess failing;
    const QString error = failing.start(QStringLiteral(QORVIN_SERVICE_PROGRAM),
                                        {QStringLiteral("--fail-every"), QStringLiteral("3")});
    QVERIFY2(error.isEmpty(), qPrintable(error));
    const QStringList arguments = args({"search", "苏轼", "-n", "150", "-q", "-o"});
    const CliResult sound = cli(arguments + args({"sound.htm"}));
    const CliResult faulty = runCli(arguments + args({"faulty.htm"}), failing.port(), m_folder->path());
    QCOMPARE(sound.exitCode, 0);
    QCOMPARE(faulty.exitCode, 0);
    const QByteArrayList log = settledLog(failing);
    QVERIFY(std::count_if(log.cbegin(), log.cend(), [](const QByteArray& line) {
                return line.contains(" 500 ") || line.contains(" 0 ");
            }) >= 2);
    QCOMPARE(resultRows(readFile(path("faulty.htm"))), 150);
    QCOMPARE(readFile(path("faulty.htm")), readFile(path("sound.htm")));
    QCOMPARE(faulty.out, sound.out);
}

void TestCliCrawl::pageCutShortIsFetchedAgain()
{
    // A proxy whose every answer promises more than it sends, then hangs up after the head and
    // a little of the body: no page is whole, so each is asked for three times, then given up.
    QTcpServer cutter;
    QVERIFY(cutter.listen(QHostAddress::LocalHost));
    QByteArrayList requests;
    connect(&cutter, &QTcpServer::newConnection, this, [&cutter, &requests] {
        while (QTcpSocket* socket = cutter.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, socket, [socket, &requests] {
                const QByteArray request = socket->readAll();
                requests.append(request.left(request.indexOf("\r\n")));
                socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=gb2312\r\n"
                              "Content-Length: 5000\r\n\r\n<html><body>");
                socket->disconnectFromHost();
            });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    QProcess process;
    prepareCli(process, args({"search", "苏轼", "--max-empty-pages", "1", "-q"}), cutter.serverPort(),
               m_folder->path());
    process.start();
    QTRY_VERIFY_WITH_TIMEOUT(process.state() == QProcess::NotRunning, 20000);
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(requests.size(), 3);
    for (const QByteArray& request : std::as_const(requests))
        QVERIFY2(request.contains(SushiQuery + "0 "), request.constData());
    QCOMPARE(resultRows(readFile(path("result.htm"))), 0);
}

void TestCliCrawl::downloadsTheSongs_data()
{
    QTest::addColumn<bool>("secondSongMissing");
    QTest::newRow("every song there") << false;
    QTest::newRow("second song missing") << true;
}

void TestCliCrawl::downloadsTheSongs()
{
    QFETCH(bool, secondSongMissing);
    const QStringList arguments =
        args({"search", "苏轼", "-n", "3", "-q", "--m3u", "list.m3u", "--download", "songs"});
    const CliResult first = cli(arguments);
    QCOMPARE(first.exitCode, 0);
    const QList<QByteArray> lines = first.out.trimmed().split('\n');
    QCOMPARE(lines.size(), 3);
    const QStringList songFiles = QDir(path("songs")).entryList({QStringLiteral("*.mp3")}, QDir::Files);
    QCOMPARE(songFiles.size(), 3);
    for (const QString& song : songFiles) // tagged by default: an ID3v2.3 tag first
        QVERIFY(readFile(QDir(path("songs")).filePath(song)).startsWith(QByteArray("ID3\x03\x00", 5)));
    const QByteArray playlist = readFile(path("list.m3u"));
    for (const QByteArray& line : lines)
        QVERIFY2(playlist.contains(linkOf(line)), playlist.constData());
    if (!secondSongMissing)
        return;

    // The same search against a service that has lost the second song: the others are
    // downloaded, the program says which one failed and ends with status 1.
    const QByteArray secondLink = linkOf(lines.at(1));
    const QByteArray songId = secondLink.mid(secondLink.lastIndexOf('/') + 1).split('.').value(0);
    ServiceProcess losing;
    const QString error = losing.start(QStringLiteral(QORVIN_SERVICE_PROGRAM),
                                       {QStringLiteral("--missing-song"), QString::fromLatin1(songId)});
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY(QDir(path("songs")).removeRecursively());
    const CliResult second = runCli(arguments, losing.port(), m_folder->path());
    QCOMPARE(second.exitCode, 1);
    QVERIFY2(hasChinese(second.err), second.err.constData());
    QCOMPARE(QDir(path("songs")).entryList({QStringLiteral("*.mp3")}, QDir::Files).size(), 2);
    QCOMPARE(second.out, first.out);
}

void TestCliCrawl::downloadsIntoTheSameFolderAgain_data()
{
    QTest::addColumn<QString>("between");
    QTest::addColumn<int>("songsFetchedAgain");
    QTest::newRow("nothing changed") << QString() << 0;
    QTest::newRow("a song deleted") << QStringLiteral("delete one") << 1;
    // The record as a run cut short by Ctrl-C leaves it: the songs paused, their files not there.
    QTest::newRow("earlier run cut short") << QStringLiteral("cut short") << 3;
}

void TestCliCrawl::downloadsIntoTheSameFolderAgain()
{
    QFETCH(QString, between);
    QFETCH(int, songsFetchedAgain);
    const QString recordPath = m_dataHome.filePath(QStringLiteral("mp3qorvin-cli/cli-downloads.json"));
    QFile::remove(recordPath);
    const QStringList arguments = args({"search", "苏轼", "-n", "3", "-q", "--download", "songs"});
    QCOMPARE(cli(arguments).exitCode, 0);
    QDir songs(path("songs"));
    const QStringList files = songs.entryList(QDir::Files, QDir::Name);
    QCOMPARE(files.size(), 3);

    if (between == u"delete one") {
        QVERIFY(songs.remove(files.at(1)));
    } else if (between == u"cut short") {
        QJsonObject record = QJsonDocument::fromJson(readFile(recordPath)).object();
        QJsonArray paused;
        for (const QJsonValue& done : record.value(u"completed").toArray()) {
            paused.append(QJsonObject{{QStringLiteral("title"), QStringLiteral("歌")},
                                      {QStringLiteral("url"), done.toObject().value(u"url")},
                                      {QStringLiteral("target"), done.toObject().value(u"path")},
                                      {QStringLiteral("state"), QStringLiteral("paused")}});
            QVERIFY(QFile::remove(done.toObject().value(u"path").toString()));
        }
        QCOMPARE(paused.size(), 3);
        record.insert(u"completed", QJsonArray());
        record.insert(u"batches", QJsonArray{QJsonObject{{QStringLiteral("folder"), songs.absolutePath()},
                                                         {QStringLiteral("items"), paused}}});
        QFile file(recordPath);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QJsonDocument(record).toJson());
    }

    m_logMark = settledLog(m_service).size();
    const CliResult again = cli(arguments);
    QCOMPARE(again.exitCode, 0);
    QCOMPARE(songs.entryList(QDir::Files, QDir::Name), files); // no numbered copies beside them
    const QByteArrayList targets = requestTargets(m_service, m_logMark);
    const auto songRequests = std::count_if(targets.cbegin(), targets.cend(),
                                            [](const QByteArray& target) { return target.endsWith(".mp3"); });
    QCOMPARE(int(songRequests), songsFetchedAgain);
}

QTEST_GUILESS_MAIN(TestCliCrawl)
#include "tst_cli_crawl.moc"
