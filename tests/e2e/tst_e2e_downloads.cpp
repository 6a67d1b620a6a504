// SPDX-License-Identifier: MIT
// The whole program against the local service: a 30-song search, then 下载全部链接 from the
// result view's menu. Every file must hold the service's bytes, and the playlist must list them.
// Built twice: once against a plain service, once against one that cuts every file's first answer.
#include "app/browser/webbrowser.h"
#include "app/downloads/downloadstatuspanel.h"
#include "app/downloads/songdownloads.h"
#include "app/legacyhtml/songlinktext.h"
#include "download/downloadfolder.h"
#include "download/downloadqueue.h"
#include "download/playlist.h"
#include "localservice/songaudio.h"
#include "tests/e2e/e2efixture.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QNetworkProxyFactory>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qorvin;
using namespace Qorvin::Test;

namespace {

constexpr int SongCount = 30;
// About 100 MB from the local service, retries after cut answers included.
constexpr int BatchTimeoutMs = 240000;

QByteArray sha256(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

QByteArray fileSha256(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result().toHex();
}

// The service names its files by song id: ".../1234.mp3".
LocalService::SongId songIdOf(const QUrl& url)
{
    static const QRegularExpression file(QStringLiteral("/(\\d+)\\.mp3\\z"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = file.match(url.path());
    return match.hasMatch() ? match.captured(1).toLongLong() : -1;
}

QStringList serviceArguments()
{
#ifdef QORVIN_E2E_DROP_AFTER_BYTES
    return {QStringLiteral("--drop-after-bytes"), QString::number(QORVIN_E2E_DROP_AFTER_BYTES)};
#else
    return {};
#endif
}

} // namespace

class TestEndToEndDownloads : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void downloadAllLinksOfSearch();

private:
    ServiceProcess m_service;
    QTemporaryDir m_folder;
    std::unique_ptr<DownloadQueue> m_queue;
    ProgramUnderTest m_program;
};

void TestEndToEndDownloads::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    const QString error = m_service.start(serviceProgram(), serviceArguments());
    QVERIFY2(error.isEmpty(), qPrintable(error));
    m_service.becomeSystemProxy();
    // As the program's main() does: the songs go through the system proxy, the service.
    QNetworkProxyFactory::setUseSystemConfiguration(true);
    QVERIFY(m_folder.isValid());
    rememberDownloadBaseFolder(m_folder.filePath(QStringLiteral("songs")));

    // The queue outlives the window, as in the program.
    m_queue = std::make_unique<DownloadQueue>();
    m_queue->setStorePath(m_folder.filePath(QStringLiteral("downloads.json")));
    m_program.open();
    m_program.window->attachDownloads(*m_queue);
}

void TestEndToEndDownloads::cleanupTestCase()
{
    m_program.close();
    m_queue.reset();
}

void TestEndToEndDownloads::downloadAllLinksOfSearch()
{
    WindowDriver& driver = *m_program.driver;
    const QString keyword = QStringLiteral("苏轼");
    driver.startKeywordSearch(keyword, QString::number(SongCount));
    QVERIFY(driver.waitForResultShown(CrawlTimeoutMs));
    const QList<FoundSong> found = driver.foundSongs();
    QCOMPARE(found.size(), SongCount);

    SongDownloads* downloads = m_program.window->downloads();
    QVERIFY(downloads);
    QSignalSpy batches(m_queue.get(), &DownloadQueue::batchFinished);
    emit driver.browser()->contextMenuRequested(m_program.window->mapToGlobal(QPoint(200, 200)), QUrl());
    QTRY_VERIFY_WITH_TIMEOUT(downloads->contextMenu(), CrawlTimeoutMs);
    QAction* downloadAll = nullptr;
    const QList<QAction*> actions = downloads->contextMenu()->actions();
    for (QAction* action : actions) {
        if (action->text() == QStringLiteral("下载全部链接"))
            downloadAll = action;
    }
    QVERIFY(downloadAll);
    downloadAll->trigger();
    downloads->contextMenu()->close();

    QVERIFY(batches.wait(BatchTimeoutMs));
    const auto result = batches.at(0).at(0).value<BatchResult>();
    QCOMPARE(result.done, SongCount);
    QCOMPARE(result.failed, 0);
    QCOMPARE(QDir(result.folder), QDir(batchFolder(keyword)));

    // Every file holds the service's bytes, in the order of the page.
    const QList<DownloadItem> items = m_queue->items();
    QCOMPARE(items.size(), SongCount);
    QList<PlaylistEntry> expectedPlaylist;
    for (qsizetype i = 0; i < items.size(); ++i) {
        const DownloadItem& item = items.at(i);
        QCOMPARE(item.state, DownloadState::Done);
        QCOMPARE(item.url, songAddress(found.at(i).link));
        const LocalService::SongId id = songIdOf(item.url);
        QVERIFY2(id >= 0, qPrintable(item.url.toString()));
        QCOMPARE(fileSha256(item.targetPath), sha256(LocalService::SongAudio::fileBytes(id)));
        QVERIFY(!QFile::exists(item.targetPath + QStringLiteral(".part")));
        expectedPlaylist.append({item.title, QFileInfo(item.targetPath).fileName()});
    }

    QCOMPARE(result.playlistPath, QDir(result.folder).filePath(playlistFileName(keyword)));
    QFile playlist(result.playlistPath);
    QVERIFY(playlist.open(QIODevice::ReadOnly));
    QCOMPARE(playlist.readAll(), playlistBytes(expectedPlaylist));
    QTRY_COMPARE(downloads->statusPanel()->text(), QStringLiteral("下载 30/30 · 100%"));
#ifdef QORVIN_E2E_DROP_AFTER_BYTES
    // Every song was cut once and continued from where it broke off, not fetched again whole.
    QCOMPARE(m_service.countRequestsContaining(".mp3 206"), qsizetype(SongCount));
#endif
}

int main(int argc, char** argv)
{
    return Qorvin::Test::runEndToEnd<TestEndToEndDownloads>(argc, argv);
}

#include "tst_e2e_downloads.moc"
