// SPDX-License-Identifier: MIT
// The window side of downloading: the result view's context menu and song-link clicks, the
// status bar's downloads panel, the downloads window and the question before quitting.
#pragma once

#include "app/downloads/downloadstatuspanel.h"
#include "app/downloads/downloadswindow.h"
#include "download/downloaditem.h"
#include "download/downloadrequest.h"

#include <QList>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QPoint;
class QStatusBar;
class QUrl;
class QWidget;

namespace Qorvin {

class DownloadQueue;
class WebBrowser;

class SongDownloads : public QObject
{
    Q_OBJECT

public:
    using UrlHandler = std::function<void(const QUrl& url)>;

    // keyword gives the search's keyword, which names the batch's folder and playlist;
    // openElsewhere takes the links of the result page that are no songs (other sites).
    SongDownloads(DownloadQueue& queue, WebBrowser& browser, QStatusBar& statusBar, QWidget& window,
                  std::function<QString()> keyword, UrlHandler openElsewhere);
    ~SongDownloads() override;

    // Where folders are shown: the file manager unless a test says otherwise.
    void setFolderOpener(UrlHandler openFolder) { m_openFolder = std::move(openFolder); }

    DownloadQueue& queue() const { return m_queue; }
    DownloadStatusPanel* statusPanel() const { return m_panel; }
    // The menu on view after the latest right-click; null once it is closed.
    QMenu* contextMenu() const { return m_menu; }
    DownloadsWindow* downloadsWindow(); // made on first use
    void showDownloadsWindow();

    // Reads the page's song links and offers the menu at globalPos; linkUrl is the link under
    // the pointer, if any.
    void showContextMenu(const QPoint& globalPos, const QUrl& linkUrl);

    // Queues the links as one batch; those queued already are resumed or retried instead.
    void download(const QList<DownloadRequest>& songs);
    void exportPlaylist(const QList<DownloadRequest>& songs);
    void openDownloadFolder();
    // The search's keyword, trimmed; "歌曲" when the box is empty.
    QString batchKeyword() const;
    // The folder the current keyword's songs go to.
    QString currentBatchFolder() const;

    // True when the window may close: nothing is downloading, or the user agreed to stop. The
    // unfinished items are stored, with their part files, for the next run.
    bool confirmQuit();

private:
    void readSongLinks(std::function<void(const QList<DownloadRequest>& songs)> done);
    void buildContextMenu(const QPoint& globalPos, const QList<DownloadRequest>& songs, qsizetype linkIndex);
    void followLink(const QUrl& url);
    void openFolder(const QString& folder);
    void tell(const QString& text);

    DownloadQueue& m_queue;
    QPointer<WebBrowser> m_browser;
    QWidget& m_window;
    std::function<QString()> m_keyword;
    UrlHandler m_openElsewhere;
    UrlHandler m_openFolder;
    QPointer<DownloadStatusPanel> m_panel;
    QPointer<DownloadsWindow> m_downloadsWindow;
    QPointer<QMenu> m_menu;
};

// The links whose addresses are among none of the queue's items but the done and cancelled ones,
// each once: a second click on a song, or a second 下载全部链接, fetches nothing twice.
QList<DownloadRequest> songsNotQueued(const QList<DownloadItem>& queued, const QList<DownloadRequest>& songs);

// Brings back the queue stored by the last run, every item paused; says so when it cannot be read.
void restoreStoredDownloads(DownloadQueue& queue, QWidget* window);

} // namespace Qorvin
