// SPDX-License-Identifier: MIT
// The window against mp3qorvin-service --source archive over a fake Internet Archive: the songs
// on the result page are the fake's recordings, linked to the fake.
#include "tests/e2e/e2efixture.h"
#include "tests/localservice/archivefixtures.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qorvin;
using namespace Qorvin::LocalService::Test;
using namespace Qorvin::Test;

class TestArchiveWindow : public QObject
{
    Q_OBJECT

private slots:
    void keywordSearchShowsTheArchiveRecordings();
};

void TestArchiveWindow::keywordSearchShowsTheArchiveRecordings()
{
    QTemporaryDir cache;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
    FakeArchive fake;
    QList<QJsonObject> docs;
    for (int i = 0; i < 4; ++i) {
        const QString id = QStringLiteral("album%1").arg(i);
        docs.append(archiveDoc(id));
        fake.addItem(id, archiveAlbum(id, QStringLiteral("Album %1 song").arg(i), 12));
    }
    fake.addSearch(QStringLiteral("(band)"), docs);
    ServiceProcess service;
    const QString error = service.start(serviceProgram(), {QStringLiteral("--source"), QStringLiteral("archive"),
                                                           QStringLiteral("--archive-url"), fake.address()});
    QVERIFY2(error.isEmpty(), qPrintable(error));
    service.becomeSystemProxy();

    ProgramUnderTest program;
    program.open();
    program.driver->startKeywordSearch(QStringLiteral("band"), QStringLiteral("40"));
    QVERIFY(program.driver->waitForResultShown(CrawlTimeoutMs));
    const QList<FoundSong> songs = program.driver->foundSongs();
    QCOMPARE(songs.size(), 40);
    for (int i = 0; i < 40; ++i) {
        QCOMPARE(songs[i].title, QStringLiteral("Album %1 song %2 - Band").arg(i / 12).arg(i % 12 + 1));
        QCOMPARE(songs[i].link, QStringLiteral("%1/download/album%2/%3.mp3")
                                    .arg(fake.address())
                                    .arg(i / 12)
                                    .arg(i % 12 + 1, 2, 10, QLatin1Char('0')));
    }
    program.close();
}

int main(int argc, char** argv)
{
    return runEndToEnd<TestArchiveWindow>(argc, argv);
}
#include "tst_archivewindow.moc"
