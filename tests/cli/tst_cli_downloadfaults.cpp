// SPDX-License-Identifier: MIT
// mp3qorvin-cli --download when things go wrong: servers that misbehave, the program killed at
// awkward moments, a second run into the same folder, a damaged record, a full disk and a folder
// that cannot take songs. Whatever happened, a run that ends well leaves every song once, under
// its plain name, byte for byte the service's, and nothing else.
#include "localservice/songaudio.h"
#include "tests/e2e/cliprocess.h"
#include "tests/e2e/serviceprocess.h"
#include "tests/filecontents.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <unistd.h>

using namespace Qorvin::Test;
using namespace Qt::StringLiterals;
using Qorvin::LocalService::SongAudio;

namespace {

constexpr int WaitMs = 60'000;
// Without tags: the files are compared byte for byte with the service's.
const QStringList Search{u"search"_s, u"苏轼"_s, u"-n"_s, u"3"_s, u"-q"_s, u"--no-tags"_s, u"--download"_s};

// The song file names and ids of the "N. title  link" lines a run printed.
QHash<QString, qint64> songFiles(const QByteArray& out)
{
    QHash<QString, qint64> files;
    for (const QByteArray& line : out.trimmed().split('\n')) {
        const QByteArray link = line.mid(line.lastIndexOf("  ") + 2);
        const QByteArray title =
            line.mid(line.indexOf(". ") + 2, line.lastIndexOf("  ") - line.indexOf(". ") - 2);
        files.insert(QString::fromUtf8(title) + u".mp3"_s,
                     link.mid(link.lastIndexOf('/') + 1).chopped(4).toLongLong());
    }
    return files;
}

// The service's request lines once all it wrote so far has been read.
qsizetype settledRequestCount(ServiceProcess& service)
{
    qsizetype count = service.requestLog().size();
    for (qsizetype before = -1; before != count;) {
        before = count;
        QTest::qWait(100);
        count = service.requestLog().size();
    }
    return count;
}

// Runs a mount command as root; false when it cannot run here.
bool mountCommand(const QStringList& arguments)
{
    return ::geteuid() == 0 && QProcess::execute(u"mount"_s, arguments) == 0;
}

// Passes the page requests on to the service and holds every song request unanswered.
class HoldingProxy : public QTcpServer
{
public:
    explicit HoldingProxy(quint16 servicePort) : m_servicePort(servicePort)
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* client = nextPendingConnection()) {
                client->setParent(this);
                connect(client, &QTcpSocket::readyRead, this, [this, client] { onData(client); });
            }
        });
    }
    int heldSongs() const { return m_held.size(); }

private:
    void onData(QTcpSocket* client)
    {
        if (QTcpSocket* upstream = m_upstream.value(client)) {
            upstream->write(client->readAll());
            return;
        }
        QByteArray& head = m_heads[client];
        head += client->readAll();
        if (m_held.contains(client) || !head.contains("\r\n\r\n"))
            return;
        if (head.left(head.indexOf('\r')).contains(".mp3 ")) {
            m_held.insert(client);
            return;
        }
        auto* upstream = new QTcpSocket(client);
        m_upstream.insert(client, upstream);
        connect(upstream, &QTcpSocket::readyRead, client,
                [client, upstream] { client->write(upstream->readAll()); });
        connect(upstream, &QTcpSocket::disconnected, client, &QTcpSocket::disconnectFromHost);
        upstream->connectToHost(QHostAddress::LocalHost, m_servicePort);
        upstream->write(std::exchange(head, {}));
    }

    quint16 m_servicePort;
    QHash<QTcpSocket*, QByteArray> m_heads;
    QHash<QTcpSocket*, QTcpSocket*> m_upstream;
    QSet<QTcpSocket*> m_held;
};

} // namespace

class TestCliDownloadFaults : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void serverFaults_data();
    void serverFaults();
    void killedAndRunAgain_data();
    void killedAndRunAgain();
    void secondRunIntoTheSameFolder();
    void damagedRecordKeptAside_data();
    void damagedRecordKeptAside();
    void fullDiskKeepsTheRecords();
    void unusableFolderRefusedBeforeAnyRequest_data();
    void unusableFolderRefusedBeforeAnyRequest();

private:
    QString songs() const { return m_folder->filePath(u"songs"_s); }
    QString recordPath() const { return m_dataHome.filePath(u"mp3qorvin-cli/cli-downloads.json"_s); }
    void startCli(QProcess& process, quint16 port, const QString& folder)
    {
        prepareCli(process, Search + QStringList{folder}, port, m_folder->path());
        process.start();
    }
    CliResult cli(quint16 port, const QString& folder)
    {
        return runCli(Search + QStringList{folder}, port, m_folder->path());
    }
    // Every song once, under its plain name, the service's bytes after change changes; nothing else.
    void verifySongs(const QString& folder, const QHash<QString, qint64>& files, int change = 0);
    QString startService(ServiceProcess& service, const QStringList& arguments)
    {
        return service.start(QStringLiteral(QORVIN_SERVICE_PROGRAM), arguments);
    }

    ServiceProcess m_service;
    QTemporaryDir m_dataHome;
    std::unique_ptr<QTemporaryDir> m_folder;
    QString m_mounted;
};

void TestCliDownloadFaults::initTestCase()
{
    QVERIFY(m_dataHome.isValid());
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dataHome.path()));
    const QString error = startService(m_service, {});
    QVERIFY2(error.isEmpty(), qPrintable(error));
    SongAudio::prepare();
}

void TestCliDownloadFaults::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QDir(m_dataHome.path()).removeRecursively();
}

void TestCliDownloadFaults::cleanup()
{
    if (!m_mounted.isEmpty())
        QProcess::execute(u"umount"_s, {std::exchange(m_mounted, {})});
}

void TestCliDownloadFaults::verifySongs(const QString& folder, const QHash<QString, qint64>& files,
                                        int change)
{
    QStringList expected = files.keys();
    expected.sort();
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
    for (auto file = files.cbegin(); file != files.cend(); ++file) {
        const auto song = SongAudio::fileOf(file.value()).changed(change);
        QVERIFY2(readFile(QDir(folder).filePath(file.key())) == song.read(0, song.size()),
                 qPrintable(file.key()));
    }
}

void TestCliDownloadFaults::serverFaults_data()
{
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<int>("change"); // the file's change the songs must equal
    const QStringList cut{u"--drop-after-bytes"_s, u"300000"_s};
    QTest::newRow("cut mid-body") << cut << 0;
    QTest::newRow("cut, then the range ignored") << cut + QStringList{u"--ignore-range"_s} << 0;
    // Each request gets the next change of the file: the cut first, the range second, the whole third.
    QTest::newRow("cut, then a range of a changed file")
        << cut + QStringList{u"--change-file-every"_s, u"1"_s} << 2;
}

void TestCliDownloadFaults::serverFaults()
{
    QFETCH(QStringList, faults);
    QFETCH(int, change);
    ServiceProcess service;
    const QString error = startService(service, faults);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    const CliResult run = cli(service.port(), songs());
    QVERIFY2(run.exitCode == 0, run.err.constData());
    verifySongs(songs(), songFiles(run.out), change);
}

void TestCliDownloadFaults::killedAndRunAgain_data()
{
    QTest::addColumn<QString>("moment");
    QTest::addColumn<int>("signal");
    QTest::newRow("mid-body") << u"mid-body"_s << SIGKILL;
    QTest::newRow("before the headers") << u"before the headers"_s << SIGKILL;
    QTest::newRow("Ctrl-C before the headers") << u"before the headers"_s << SIGINT;
    QTest::newRow("just after a rename") << u"after a rename"_s << SIGKILL;
    QTest::newRow("Ctrl-C just after a rename") << u"after a rename"_s << SIGINT;
}

void TestCliDownloadFaults::killedAndRunAgain()
{
    QFETCH(QString, moment);
    QFETCH(int, signal);
    ServiceProcess slow; // 2 MB/s a song: the smallest is renamed while the others still come in
    QVERIFY(startService(slow, {u"--rate-kbps"_s, u"16000"_s}).isEmpty());
    HoldingProxy holding(slow.port());
    QVERIFY(holding.listen(QHostAddress::LocalHost));
    QProcess first;
    startCli(first, moment == u"before the headers" ? holding.serverPort() : slow.port(), songs());
    const QDir folder(songs());
    const auto reached = [&] {
        if (moment == u"before the headers")
            return holding.heldSongs() == 3;
        const QFileInfoList files = folder.entryInfoList(QDir::Files);
        return std::any_of(files.cbegin(), files.cend(), [&](const QFileInfo& file) {
            return moment == u"mid-body" ? file.fileName().endsWith(u".part"_s) && file.size() > 200'000
                                         : file.fileName().endsWith(u".mp3"_s);
        });
    };
    QVERIFY(QTest::qWaitFor(reached, WaitMs));
    ::kill(pid_t(first.processId()), signal);
    QVERIFY(first.waitForFinished(WaitMs));
    if (signal == SIGINT) {
        // The songs renamed before Ctrl-C are counted as done.
        const QByteArray said = first.readAllStandardError();
        const QRegularExpressionMatch done =
            QRegularExpression(u"已完成 (\\d+) 首"_s).match(QString::fromUtf8(said));
        QVERIFY2(done.hasMatch(), said.constData());
        QVERIFY2((done.captured(1).toInt() > 0) == (moment == u"after a rename"), said.constData());
    }

    const CliResult again = cli(m_service.port(), songs());
    QVERIFY2(again.exitCode == 0, again.err.constData());
    verifySongs(songs(), songFiles(again.out));
}

void TestCliDownloadFaults::secondRunIntoTheSameFolder()
{
    ServiceProcess slow; // 1 MB/s a song: the other runs start and end meanwhile
    QVERIFY(startService(slow, {u"--rate-kbps"_s, u"8000"_s}).isEmpty());
    QProcess first;
    startCli(first, slow.port(), songs());
    QVERIFY(QTest::qWaitFor([&] { return !QDir(songs()).entryList({u"*.part"_s}).isEmpty(); }, WaitMs));

    const qsizetype searchesBefore = slow.countRequestsContaining("word=");
    const CliResult second = cli(slow.port(), songs());
    QCOMPARE(second.exitCode, 1);
    QCOMPARE(second.err.count('\n'), 1);
    QVERIFY2(second.err.contains("另一个下载正在使用文件夹"), second.err.constData());
    // Into another folder at the same time: both runs' songs stay in the record.
    const CliResult elsewhere = cli(m_service.port(), m_folder->filePath(u"other"_s));
    QCOMPARE(elsewhere.exitCode, 0);

    QVERIFY(first.waitForFinished(WaitMs));
    QVERIFY2(first.exitCode() == 0, first.readAllStandardError().constData());
    QCOMPARE(slow.countRequestsContaining("word="), searchesBefore); // the second run asked for nothing
    verifySongs(songs(), songFiles(first.readAllStandardOutput()));
    QCOMPARE(QJsonDocument::fromJson(readFile(recordPath()))[u"completed"].toArray().size(), 6);
}

void TestCliDownloadFaults::damagedRecordKeptAside_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QByteArray>("said");
    QTest::newRow("not JSON") << "{\"version\":1,"_ba
                              << "已损坏"_ba;
    QTest::newRow("an object for a list") << R"({"version":1,"completed":{}})"_ba
                                          << "已损坏"_ba;
    QTest::newRow("entries of wrong types") << R"({"version":1,"completed":[{"url":5,"path":[]}]})"_ba
                                            << "已损坏"_ba;
    QTest::newRow("a newer version") << R"({"version":9,"completed":[],"later":"kept"})"_ba
                                     << "更新版本"_ba;
}

void TestCliDownloadFaults::damagedRecordKeptAside()
{
    QFETCH(QByteArray, record);
    QFETCH(QByteArray, said);
    QVERIFY(QDir().mkpath(QFileInfo(recordPath()).path()));
    QFile file(recordPath());
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(record) == record.size());
    file.close();

    const CliResult run = cli(m_service.port(), songs());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err.count('\n'), 1);
    QVERIFY2(run.err.contains(said), run.err.constData());
    const QStringList kept = QDir(QFileInfo(recordPath()).path()).entryList({u"*.damaged-*"_s});
    if (said == "更新版本") {
        QCOMPARE(kept.size(), 0);
        QCOMPARE(readFile(recordPath()), record);
        // With no record of its own, the run leaves each song's completion beside it, so that a
        // run after it does not save copies.
        QCOMPARE(QDir(songs()).entryList({u"*.mp3"_s}).size(), 3);
        QCOMPARE(cli(m_service.port(), songs()).exitCode, 0);
        QCOMPARE(QDir(songs()).entryList({u"*.mp3"_s}).size(), 3);
        return;
    }
    verifySongs(songs(), songFiles(run.out));
    QCOMPARE(kept.size(), 1);
    QVERIFY2(run.err.contains(kept.at(0).toUtf8()), run.err.constData());
    QCOMPARE(readFile(QFileInfo(recordPath()).dir().filePath(kept.at(0))), record);
    QCOMPARE(QJsonDocument::fromJson(readFile(recordPath()))[u"completed"].toArray().size(), 3);
}

void TestCliDownloadFaults::fullDiskKeepsTheRecords()
{
    const QString disk = m_folder->filePath(u"disk"_s);
    QVERIFY(QDir().mkpath(disk));
    if (!mountCommand({u"-t"_s, u"tmpfs"_s, u"-o"_s, u"size=6m"_s, u"tmpfs"_s, disk}))
        QSKIP("A small tmpfs needs root: the full disk is not tried here.");
    m_mounted = disk;
    const QString folder = QDir(disk).filePath(u"songs"_s);
    const CliResult full = cli(m_service.port(), folder);
    QCOMPARE(full.exitCode, 1);
    QVERIFY2(full.err.contains("磁盘已满"), full.err.constData());
    // Again on the full disk: the records of the parts stay whole.
    QCOMPARE(cli(m_service.port(), folder).exitCode, 1);
    const QFileInfoList records = QDir(folder).entryInfoList({u"*.part.json"_s});
    QVERIFY(!records.isEmpty());
    for (const QFileInfo& record : records)
        QVERIFY2(QJsonDocument::fromJson(readFile(record.filePath()))[u"url"].isString(),
                 qPrintable(record.fileName()));

    QVERIFY(mountCommand({u"-o"_s, u"remount,size=64m"_s, disk}));
    const CliResult freed = cli(m_service.port(), folder);
    QVERIFY2(freed.exitCode == 0, freed.err.constData());
    verifySongs(folder, songFiles(freed.out));
}

void TestCliDownloadFaults::unusableFolderRefusedBeforeAnyRequest_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("a file") << u"file"_s;
    QTest::newRow("a read-only file system") << u"read-only"_s;
}

void TestCliDownloadFaults::unusableFolderRefusedBeforeAnyRequest()
{
    QFETCH(QString, kind);
    if (kind == u"file") {
        QFile file(songs());
        QVERIFY(file.open(QIODevice::WriteOnly));
    } else {
        QVERIFY(QDir().mkpath(songs()));
        if (!mountCommand({u"-t"_s, u"tmpfs"_s, u"-o"_s, u"ro,size=1m"_s, u"tmpfs"_s, songs()}))
            QSKIP("A read-only tmpfs needs root.");
        m_mounted = songs();
    }
    const qsizetype requestsBefore = settledRequestCount(m_service);
    const CliResult run = cli(m_service.port(), songs());
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err.count('\n'), 1);
    QVERIFY2(run.err.contains("无法把歌曲下载到文件夹"), run.err.constData());
    QCOMPARE(settledRequestCount(m_service), requestsBefore);
}

QTEST_GUILESS_MAIN(TestCliDownloadFaults)
#include "tst_cli_downloadfaults.moc"
