// SPDX-License-Identifier: MIT
#include "app/downloads/songdownloads.h"

#include "app/browser/webbrowser.h"
#include "app/downloads/downloadstatuspanel.h"
#include "app/downloads/downloadswindow.h"
#include "app/downloads/resultsonglinks.h"
#include "download/downloadfolder.h"
#include "download/downloadqueue.h"
#include "download/folderreadiness.h"
#include "download/playlist.h"

#include <QAbstractButton>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QSet>
#include <QStatusBar>
#include <QUrl>

namespace Qorvin {

namespace {

// The program's keyword box may hold nothing (the search home empties it); the batch then still
// gets a folder and a playlist of its own.
constexpr char16_t UnnamedBatch[] = u"歌曲";

QString addressKey(const QUrl& url)
{
    return url.toString(QUrl::FullyEncoded);
}

} // namespace

QList<DownloadRequest> songsNotQueued(const QList<DownloadItem>& queued, const QList<DownloadRequest>& songs)
{
    QSet<QString> taken;
    for (const DownloadItem& item : queued) {
        if (item.state != DownloadState::Done && item.state != DownloadState::Cancelled)
            taken.insert(addressKey(item.url));
    }
    QList<DownloadRequest> fresh;
    for (const DownloadRequest& song : songs) {
        // A link without an address is queued all the same: the queue reports it as failed.
        if (song.url.isValid()) {
            const QString key = addressKey(song.url);
            if (taken.contains(key))
                continue;
            taken.insert(key);
        }
        fresh.append(song);
    }
    return fresh;
}

SongDownloads::SongDownloads(DownloadQueue& queue, WebBrowser& browser, QStatusBar& statusBar,
                             QWidget& window, std::function<QString()> keyword, UrlHandler openElsewhere)
    : QObject(&window), m_queue(queue), m_browser(&browser), m_window(window), m_keyword(std::move(keyword)),
      m_openElsewhere(std::move(openElsewhere)),
      m_openFolder([](const QUrl& folder) { QDesktopServices::openUrl(folder); })
{
    m_panel = new DownloadStatusPanel(queue, &statusBar);
    statusBar.addPermanentWidget(m_panel);
    connect(m_panel, &DownloadStatusPanel::clicked, this, &SongDownloads::showDownloadsWindow);

    connect(&browser, &WebBrowser::contextMenuRequested, this, &SongDownloads::showContextMenu);
    browser.setLinkOpener([this](const QUrl& url) { followLink(url); });
    connect(&queue, &DownloadQueue::batchFinished, this, [this](const BatchResult& result) {
        if (!result.playlistError.isEmpty())
            tell(QStringLiteral("播放列表未能写入：") + result.playlistError);
    });
}

SongDownloads::~SongDownloads()
{
    // Links followed after this object is gone go where other sites' links go.
    if (m_browser)
        m_browser->setLinkOpener(m_openElsewhere);
    delete m_downloadsWindow;
    delete m_panel;
}

DownloadsWindow* SongDownloads::downloadsWindow()
{
    if (!m_downloadsWindow) {
        m_downloadsWindow = new DownloadsWindow(
            m_queue, [this](const QUrl& folder) { m_openFolder(folder); }, &m_window);
        // It opens over the window whose songs it shows; after that it stays where the user puts it.
        m_downloadsWindow->move(m_window.frameGeometry().center() - m_downloadsWindow->rect().center());
    }
    return m_downloadsWindow;
}

void SongDownloads::showDownloadsWindow()
{
    DownloadsWindow* window = downloadsWindow();
    window->show();
    window->raise();
    window->activateWindow();
}

void SongDownloads::readSongLinks(std::function<void(const QList<DownloadRequest>& songs)> done)
{
    if (!m_browser)
        return;
    m_browser->readPage(songLinksScript(), [done = std::move(done)](const QVariant& value) {
        done(songsFromScriptValue(value));
    });
}

void SongDownloads::showContextMenu(const QPoint& globalPos, const QUrl& linkUrl)
{
    QPointer<SongDownloads> self(this);
    readSongLinks([self, globalPos, linkUrl](const QList<DownloadRequest>& songs) {
        if (self)
            self->buildContextMenu(globalPos, songs, linkUrl.isEmpty() ? -1 : indexOfSong(songs, linkUrl));
    });
}

void SongDownloads::buildContextMenu(const QPoint& globalPos, const QList<DownloadRequest>& songs,
                                     qsizetype linkIndex)
{
    if (m_menu)
        m_menu->close();
    auto* menu = new QMenu(&m_window);
    menu->setObjectName(QStringLiteral("ResultViewMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);

    QAction* all = menu->addAction(QStringLiteral("下载全部链接"), this, [this, songs] { download(songs); });
    all->setEnabled(!songs.isEmpty());
    if (linkIndex >= 0) {
        const DownloadRequest song = songs.at(linkIndex);
        menu->addAction(QStringLiteral("下载此歌曲"), this, [this, song] { download({song}); });
    }
    menu->addSeparator();
    QAction* playlist =
        menu->addAction(QStringLiteral("导出播放列表(M3U)…"), this, [this, songs] { exportPlaylist(songs); });
    playlist->setEnabled(!songs.isEmpty());
    menu->addAction(QStringLiteral("打开下载文件夹"), this, &SongDownloads::openDownloadFolder);

    m_menu = menu;
    menu->popup(globalPos);
}

void SongDownloads::followLink(const QUrl& url)
{
    QPointer<SongDownloads> self(this);
    readSongLinks([self, url](const QList<DownloadRequest>& songs) {
        if (!self)
            return;
        const qsizetype index = indexOfSong(songs, url);
        if (index >= 0)
            self->download({songs.at(index)});
        else if (self->m_openElsewhere)
            self->m_openElsewhere(url);
    });
}

QString SongDownloads::batchKeyword() const
{
    const QString keyword = m_keyword ? m_keyword().trimmed() : QString();
    return keyword.isEmpty() ? QString::fromUtf16(UnnamedBatch) : keyword;
}

QString SongDownloads::currentBatchFolder() const
{
    return batchFolder(batchKeyword());
}

void SongDownloads::download(const QList<DownloadRequest>& songs)
{
    if (songs.isEmpty()) {
        tell(QStringLiteral("本页没有可下载的歌曲链接。"));
        return;
    }
    // A song already waiting or running goes on as it is; a paused one goes on, a failed one is
    // tried again.
    QSet<QString> wanted;
    for (const DownloadRequest& song : songs) {
        if (song.url.isValid())
            wanted.insert(addressKey(song.url));
    }
    const QList<DownloadItem> queued = m_queue.items();
    for (const DownloadItem& item : queued) {
        if (!wanted.contains(addressKey(item.url)))
            continue;
        if (item.state == DownloadState::Paused)
            m_queue.resume(item.id);
        else if (item.state == DownloadState::Failed)
            m_queue.retry(item.id);
    }
    const QList<DownloadRequest> fresh = songsNotQueued(queued, songs);
    if (!fresh.isEmpty()) {
        // Said once, before any song is asked for, rather than as every song's failure.
        if (const QString problem = folderProblem(currentBatchFolder()); !problem.isEmpty()) {
            tell(problem);
            return;
        }
        m_queue.add(fresh, currentBatchFolder(), batchKeyword(),
                    {rememberedNameTemplate(), rememberedWriteTags(), {}});
    }
    // A whole page is a batch worth watching; a single song shows in the status bar.
    if (songs.size() > 1)
        showDownloadsWindow();
}

void SongDownloads::exportPlaylist(const QList<DownloadRequest>& songs)
{
    const QList<PlaylistEntry> entries = remotePlaylistEntries(songs);
    if (entries.isEmpty()) {
        tell(QStringLiteral("本页没有可导出的歌曲链接。"));
        return;
    }
    const QString suggested = QDir(downloadBaseFolder()).filePath(playlistFileName(batchKeyword()));
    const QString path = QFileDialog::getSaveFileName(&m_window, QStringLiteral("导出播放列表"), suggested,
                                                      QStringLiteral("播放列表 (*.m3u8 *.m3u)"));
    if (path.isEmpty())
        return;
    const Outcome written = writePlaylist(path, entries);
    if (!written.ok)
        tell(QStringLiteral("播放列表未能写入：") + written.errorString);
}

void SongDownloads::openDownloadFolder()
{
    const QString batch = currentBatchFolder();
    openFolder(QDir(batch).exists() ? batch : downloadBaseFolder());
}

void SongDownloads::openFolder(const QString& folder)
{
    if (!QDir().mkpath(folder)) {
        tell(QStringLiteral("无法创建文件夹：") + QDir::toNativeSeparators(folder));
        return;
    }
    if (m_openFolder)
        m_openFolder(QUrl::fromLocalFile(folder));
}

bool SongDownloads::confirmQuit()
{
    if (!m_queue.hasActiveItems())
        return true;
    QMessageBox question(QMessageBox::Question, m_window.windowTitle(),
                         QStringLiteral("下载尚未完成，确定退出？"), QMessageBox::Yes | QMessageBox::No,
                         &m_window);
    question.setObjectName(QStringLiteral("QuitQuestion"));
    question.button(QMessageBox::Yes)->setText(QStringLiteral("是"));
    question.button(QMessageBox::No)->setText(QStringLiteral("否"));
    question.setDefaultButton(QMessageBox::No);
    if (question.exec() != QMessageBox::Yes)
        return false;
    // What was downloaded so far stays in the part files; the next run finds them in the store.
    m_queue.pauseAll();
    const Outcome saved = m_queue.save();
    if (!saved.ok)
        tell(QStringLiteral("下载列表未能保存：") + saved.errorString);
    return true;
}

void SongDownloads::tell(const QString& text)
{
    QMessageBox::information(&m_window, m_window.windowTitle(), text);
}

void restoreStoredDownloads(DownloadQueue& queue, QWidget* window)
{
    const Outcome restored = queue.load();
    if (!restored.ok)
        QMessageBox::warning(window, window ? window->windowTitle() : QString(),
                             QStringLiteral("上次的下载列表无法读取：") + restored.errorString);
}

} // namespace Qorvin
