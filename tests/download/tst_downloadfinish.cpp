// SPDX-License-Identifier: MIT
// The ends of a download that race with the user: a pause, a resume or the program's end while the
// song is synced and renamed, and a second writer during a retry's wait.
#include "download/downloadqueue.h"
#include "download/downloadtransfer.h"
#include "download/partfilelock.h"
#include "download/partrecord.h"
#include "tests/download/queuetestrig.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qorvin;
using namespace Qorvin::Test;
using namespace Qt::StringLiterals;

namespace {

constexpr int WaitMs = 30'000;

} // namespace

class TestDownloadFinish : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void userActsWhileRenaming_data();
    void userActsWhileRenaming();
    void partStaysLockedThroughRetryWait();

private:
    LocalService::LocalServer m_server{{}};
    QNetworkAccessManager m_network;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestDownloadFinish::initTestCase()
{
    QCoreApplication::setApplicationName(u"qorvin-download-finish-test"_s);
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_server.listen(0));
}

void TestDownloadFinish::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestDownloadFinish::userActsWhileRenaming_data()
{
    QTest::addColumn<QString>("action");
    QTest::newRow("pause") << u"pause"_s;
    QTest::newRow("pause, then resume") << u"pause and resume"_s;
    QTest::newRow("quit, the name taken meanwhile") << u"quit"_s;
}

// Every byte is in, so the song's sync and rename have begun when the user acts.
void TestDownloadFinish::userActsWhileRenaming()
{
    QFETCH(QString, action);
    const QString url = songHref(m_server.port(), 210);
    auto queue = makeTestQueue(m_network, m_dir->path(), 5000);
    QSignalSpy finished(queue.get(), &DownloadQueue::batchFinished);
    const int id = addBatch(*queue, {{QUrl(url), u"终"_s}}, m_dir->path(), {}).at(0);
    const QString plain = m_dir->filePath(u"终.mp3"_s);
    auto* transfer = queue->findChild<DownloadTransfer*>();
    QVERIFY(transfer);
    connect(transfer, &DownloadTransfer::bytesComplete, this, [&] {
        if (action == u"quit") {
            QVERIFY(writeFile(plain, "another program's file"));
            // Posted before the rename's result: the queue ends while the rename runs.
            QMetaObject::invokeMethod(
                this, [&] { queue.reset(); }, Qt::QueuedConnection);
            return;
        }
        queue->pause(id);
        if (action == u"pause and resume")
            queue->resume(id);
    });

    if (action == u"quit") {
        QTRY_VERIFY_WITH_TIMEOUT(!queue, WaitMs);
        const QString numbered = m_dir->filePath(u"终 (2).mp3"_s);
        QCOMPARE(fileSha256(numbered), sha256(serviceBytes(m_network, url)));
        const QJsonArray completed =
            QJsonDocument::fromJson(readFile(m_dir->filePath(u"store/downloads.json"_s)))[u"completed"]
                .toArray();
        QCOMPARE(completed.size(), 1);
        QCOMPARE(completed.at(0)[u"path"].toString(), numbered);
        return;
    }
    QVERIFY(finished.wait(WaitMs));
    QCOMPARE(queue->item(id).state, DownloadState::Done);
    QCOMPARE(queue->item(id).targetPath, plain);
    QCOMPARE(fileSha256(plain), sha256(serviceBytes(m_network, url)));
    QTest::qWait(100); // a second download, were there one, would have begun
    QCOMPARE(QDir(m_dir->path()).entryList({u"终*"_s}, QDir::Files), QStringList{u"终.mp3"_s});
}

void TestDownloadFinish::partStaysLockedThroughRetryWait()
{
    const QByteArray body = "ID3" + QByteArray(1997, 'x');
    const QByteArray head = "ETag: \"v1\"\r\nConnection: close\r\n";
    ScriptedServer server([&](int number, const QByteArray&) -> QByteArray {
        if (number == 1) // cut short after half the body
            return "HTTP/1.1 200 OK\r\nContent-Length: 2000\r\n" + head + "\r\n" + body.first(1000);
        if (number == 2)
            return "HTTP/1.1 503 Busy\r\nRetry-After: 1\r\nContent-Length: 0\r\n" + head + "\r\n";
        return "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 1000-1999/2000\r\nContent-Length: "
               "1000\r\n" +
               head + "\r\n" + body.sliced(1000);
    });
    QVERIFY(server.listen(QHostAddress::LocalHost));
    auto queue = makeTestQueue(m_network, m_dir->path(), 5000);
    QSignalSpy finished(queue.get(), &DownloadQueue::batchFinished);
    const QString url = u"http://127.0.0.1:%1/wait.mp3"_s.arg(server.serverPort());
    const int id = addBatch(*queue, {{QUrl(url), u"候"_s}}, m_dir->path(), {}).at(0);

    QTRY_COMPARE_WITH_TIMEOUT(server.requests(), 2, WaitMs);
    QTest::qWait(200); // inside the second answer's Retry-After
    QFile part(partPathFor(m_dir->filePath(u"候.mp3"_s)));
    QVERIFY(part.open(QIODevice::ReadWrite));
    QVERIFY2(!lockForWriting(part), "another writer could take the part file during the wait");
    part.close();

    QVERIFY(finished.wait(WaitMs));
    QCOMPARE(queue->item(id).state, DownloadState::Done);
    QCOMPARE(readFile(m_dir->filePath(u"候.mp3"_s)), body);
}

QTEST_GUILESS_MAIN(TestDownloadFinish)
#include "tst_downloadfinish.moc"
