// SPDX-License-Identifier: MIT
// The download queue: songs fetched over HTTP into a folder, a few at a time, resumable.
#pragma once

#include "download/downloaditem.h"
#include "download/downloadrequest.h"
#include "download/downloadtiming.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

#include <memory>

class QNetworkAccessManager;

namespace Qorvin {

class DownloadTransfer;
struct QueueEntry;
struct TransferOutcome;

class DownloadQueue : public QObject
{
    Q_OBJECT

public:
    // Without a manager the queue makes its own, which goes through the application's proxy.
    explicit DownloadQueue(QNetworkAccessManager* network = nullptr, QObject* parent = nullptr);
    ~DownloadQueue() override;

    // Queues the songs as one batch into folder, in the given order, and returns the batch's id.
    // A song whose address is already complete in folder is Done at once, marked as existing. When
    // the batch ends, the downloaded files are listed in folder/<keyword>.m3u8; an empty keyword
    // writes no playlist. choices name the files and switch the tags on.
    int add(const QList<DownloadRequest>& songs, const QString& folder, const QString& keyword,
            const BatchChoices& choices = {});

    QList<DownloadItem> items() const;
    // The item with that id; id 0 when there is none.
    DownloadItem item(int id) const;
    QueueProgress progress() const;
    // True while an item is waiting or downloading (the question before quitting).
    bool hasActiveItems() const;

    // A waiting or downloading item stops and keeps its part file. An item whose bytes are all in and
    // that is only being synced and renamed ends as it is; pause and cancel leave it alone.
    void pause(int id);
    void resume(int id); // a paused item waits again
    void cancel(int id); // stops the item and removes its part file
    void retry(int id);  // a failed or cancelled item waits again, with a fresh count of retries
    // A done item is fetched anyway, into a new file beside its old one ("name (2).mp3"), which stays.
    void redownload(int id);
    void pauseAll();
    void resumeAll();
    void clearFinished(); // drops done and cancelled items from the list (itemRemoved for each)

    int maxConcurrent() const;
    void setMaxConcurrent(int count); // clamped to 1..8

    DownloadTiming timing() const;
    void setTiming(const DownloadTiming& timing);

    // The file the unfinished items are kept in: downloads.json in the per-user data folder. An empty
    // path keeps nothing (a one-off run such as the command-line program's).
    QString storePath() const;
    void setStorePath(const QString& path);
    // Brings back the stored items, each paused (or failed, as it was). Fails with the reason when
    // the store exists but cannot be read; a missing store is an empty queue.
    Outcome load();
    // Stores the unfinished items now (the queue also does this by itself shortly after changes).
    Outcome save();

signals:
    void itemAdded(int id);
    // State changes at once; progress at most every timing().progressIntervalMs per item.
    void itemChanged(int id);
    void itemRemoved(int id);
    void batchFinished(const Qorvin::BatchResult& result);

private:
    class Private;
    // The names the queue's unfinished and failed items will take.
    QSet<QString> reservedTargetPaths() const;
    void startWaiting();
    // False when the item could not start: another program's queue uses its folder.
    bool start(QueueEntry* entry);
    void stopTransfer(QueueEntry* entry);
    void setState(QueueEntry* entry, DownloadState state, const QString& reason = {});
    void onTransferFinished(int id, DownloadTransfer* transfer, const TransferOutcome& outcome);
    // The item's download has put its file in place: it is done, and the record beside the file
    // that says so goes once the store has it.
    void finishDownload(QueueEntry* entry, const TransferOutcome& outcome);
    void settleRecords();
    // The item's file is complete: it counts as one of its batch's songs and is recognised when
    // its address is asked for again. filePath is taken by value: it may stand in the list of
    // completed files, which recording the song reorders.
    void markDone(QueueEntry* entry, QString filePath, qint64 size);
    void reportProgress();
    void finishBatchIfDone(int batchId);
    void scheduleSave();

    std::unique_ptr<Private> d;
};

} // namespace Qorvin
