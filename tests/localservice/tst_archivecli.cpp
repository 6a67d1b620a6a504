// SPDX-License-Identifier: MIT
// mp3qorvin-cli against mp3qorvin-service --source archive over a fake Internet Archive: the
// songs found are the fake's recordings, and a download goes through its 302 to the data address.
#include "tests/e2e/cliprocess.h"
#include "tests/e2e/serviceprocess.h"
#include "tests/localservice/archivefixtures.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qorvin::LocalService::Test;
using namespace Qorvin::Test;

class TestArchiveCli : public QObject
{
    Q_OBJECT

private slots:
    void searchAndDownloadFromTheArchive();
};

void TestArchiveCli::searchAndDownloadFromTheArchive()
{
    QTemporaryDir home;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(home.filePath(QStringLiteral("cache"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("data"))));

    FakeArchive fake;
    fake.addSearch(QStringLiteral("(band)"),
                   {archiveDoc(QStringLiteral("a")), archiveDoc(QStringLiteral("b"))});
    fake.addItem(QStringLiteral("a"), archiveAlbum(QStringLiteral("a"), QStringLiteral("Alpha"), 3));
    fake.addItem(QStringLiteral("b"), archiveAlbum(QStringLiteral("b"), QStringLiteral("Beta"), 3));
    QHash<QString, QByteArray> fileBytes;
    for (const QString& id : {QStringLiteral("a"), QStringLiteral("b")}) {
        for (int track = 1; track <= 3; ++track) {
            const QString name = QStringLiteral("%1.mp3").arg(track, 2, 10, QLatin1Char('0'));
            const QByteArray bytes = "ID3" + QByteArray(20000 + track, char('a' + track)) + id.toLatin1();
            fake.addFile(id, name, bytes);
            fileBytes.insert(id + u'/' + name, bytes);
        }
    }

    // The fake is reached as "localhost", which the program reaches directly (no_proxy); every
    // other address goes to the service, as its http_proxy.
    ServiceProcess service;
    const QString error =
        service.start(QStringLiteral(QORVIN_SERVICE_PROGRAM),
                      {QStringLiteral("--source"), QStringLiteral("archive"), QStringLiteral("--archive-url"),
                       QStringLiteral("http://localhost:") + QString::number(fake.port())});
    QVERIFY2(error.isEmpty(), qPrintable(error));

    QTemporaryDir folder;
    QProcess cli;
    prepareCli(cli,
               {QStringLiteral("search"), QStringLiteral("band"), QStringLiteral("-n"), QStringLiteral("5"),
                QStringLiteral("--json"), QStringLiteral("-q"), QStringLiteral("--download"),
                QStringLiteral("songs")},
               service.port(), folder.path());
    QProcessEnvironment environment = cli.processEnvironment();
    environment.insert(QStringLiteral("no_proxy"), QStringLiteral("localhost"));
    cli.setProcessEnvironment(environment);
    cli.start();
    QTRY_VERIFY_WITH_TIMEOUT(cli.state() == QProcess::NotRunning, 60000);
    const CliResult run = finishedCli(cli);
    QVERIFY2(run.exitCode == 0, run.err.constData());

    // The songs are the fixture's recordings, in its order.
    const QJsonArray songs = QJsonDocument::fromJson(run.out).array();
    QStringList titles;
    for (const QJsonValue& song : songs)
        titles.append(song.toObject().value(QStringLiteral("title")).toString());
    QCOMPARE(titles, (QStringList{QStringLiteral("Alpha 1 - Band"), QStringLiteral("Alpha 2 - Band"),
                                  QStringLiteral("Alpha 3 - Band"), QStringLiteral("Beta 1 - Band"),
                                  QStringLiteral("Beta 2 - Band")}));
    const QString link = songs[0].toObject().value(QStringLiteral("link")).toString();
    QCOMPARE(link, QStringLiteral("http://localhost:%1/download/a/01.mp3").arg(fake.port()));

    // Each file came through the 302, whole.
    const QStringList downloaded = QDir(folder.filePath(QStringLiteral("songs"))).entryList(QDir::Files);
    QCOMPARE(downloaded.size(), 5);
    qsizetype dataRequests = 0;
    for (const FakeRequest& request : std::as_const(fake.requests))
        dataRequests += request.path.startsWith(u"/data/") ? 1 : 0;
    QCOMPARE(dataRequests, 5);
    for (const QString& name : downloaded) {
        QFile file(folder.filePath(QStringLiteral("songs/") + name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY2(std::find(fileBytes.cbegin(), fileBytes.cend(), bytes) != fileBytes.cend(),
                 qPrintable(name));
    }
}

QTEST_GUILESS_MAIN(TestArchiveCli)
#include "tst_archivecli.moc"
