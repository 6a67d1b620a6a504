// SPDX-License-Identifier: MIT
#include "download/downloadqueue.h"

#include "download/downloadtransfer.h"
#include "download/partrecord.h"
#include "download/playlist.h"
#include "download/queuestore.h"
#include "download/songfilename.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QSet>
#include <QStandardPaths>
#include <QTimer>

#include <memory>
#include <vector>

namespace Qorvin {

namespace {

// Enough to recognise the songs of recent searches; the oldest are forgotten first.
constexpr qsizetype MaxCompletedFiles = 5000;

QString absoluteFolder(const QString& folder)
{
    return QDir::cleanPath(QDir(folder).absolutePath());
}

} // namespace

struct QueueEntry
{
    DownloadItem item;
    DownloadTransfer* transfer = nullptr;
    // The rate is measured over the progress ticks, smoothed so the figure does not jump.
    qint64 rateBytes = 0;
    QElapsedTimer rateClock;
    double smoothedRate = 0;
};

struct QueueBatch
{
    int id = 0;
    QString folder;
    QString keyword;
    QList<int> ids;                        // in page order
    QHash<int, PlaylistEntry> doneEntries; // kept when an item is cleared from the list
    bool reported = false;
};

class DownloadQueue::Private
{
public:
    QNetworkAccessManager* network = nullptr;
    DownloadTiming timing;
    int maxConcurrent = 3;
    int nextId = 1;
    int nextBatchId = 1;
    QString storePath;
    std::vector<std::unique_ptr<QueueEntry>> entries; // in the order they were added
    QHash<int, QueueEntry*> byId;
    QHash<int, QueueBatch> batches;
    QList<CompletedFile> completed;
    QSet<int> changed;
    DiskJobs disk;
    QTimer progressTimer;
    QTimer saveTimer;

    QueueEntry* entry(int id) const { return byId.value(id); }
};

DownloadQueue::DownloadQueue(QNetworkAccessManager* network, QObject* parent)
    : QObject(parent), d(std::make_unique<Private>())
{
    if (!network) {
        // The songs go the way the browser's pages go: through the system proxy (http_proxy).
        QNetworkProxyFactory::setUseSystemConfiguration(true);
        network = new QNetworkAccessManager(this);
    }
    d->network = network;
    d->storePath = QDir(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation))
                       .filePath(QStringLiteral("downloads.json"));
    d->progressTimer.setInterval(d->timing.progressIntervalMs);
    connect(&d->progressTimer, &QTimer::timeout, this, &DownloadQueue::reportProgress);
    d->saveTimer.setSingleShot(true);
    connect(&d->saveTimer, &QTimer::timeout, this, [this] { save(); });
}

DownloadQueue::~DownloadQueue()
{
    for (const auto& entry : d->entries) {
        if (entry->transfer && !entry->transfer->isFinalizing())
            entry->transfer->stop();
    }
    // A song being renamed when the program quits ends here, so the store does not keep it as
    // unfinished while its file is complete.
    d->disk.waitForDone();
    for (const auto& entry : d->entries) {
        DownloadItem& item = entry->item;
        if (!entry->transfer || !entry->transfer->isFinalizing())
            continue;
        entry->transfer->stop();
        if (QFileInfo::exists(partPathFor(item.targetPath)) || !QFileInfo::exists(item.targetPath))
            continue;
        item.state = DownloadState::Done;
        d->completed.append(
            {item.url.toString(QUrl::FullyEncoded), item.targetPath, QFileInfo(item.targetPath).size()});
        QueueBatch& batch = d->batches[item.batchId];
        batch.doneEntries.insert(item.id, {item.title, QDir(batch.folder).relativeFilePath(item.targetPath)});
        scheduleSave();
    }
    if (d->saveTimer.isActive())
        save();
}

int DownloadQueue::add(const QList<DownloadRequest>& songs, const QString& folder, const QString& keyword)
{
    QueueBatch& batch = d->batches[d->nextBatchId];
    batch.id = d->nextBatchId++;
    batch.folder = absoluteFolder(folder);
    batch.keyword = keyword;
    QSet<QString> reserved;
    for (const auto& entry : d->entries) {
        if (!isFinishedState(entry->item.state) || entry->item.state == DownloadState::Failed)
            reserved.insert(entry->item.targetPath);
    }

    for (qsizetype i = 0; i < songs.size(); ++i) {
        auto entry = std::make_unique<QueueEntry>();
        DownloadItem& item = entry->item;
        item.id = d->nextId++;
        item.batchId = batch.id;
        item.title = songs.at(i).title;
        item.url = songs.at(i).url;
        const QString fileName = songFileName(item.title, item.url, int(i + 1));
        if (!item.url.isValid()) {
            item.targetPath = QDir(batch.folder).filePath(fileName);
            item.state = DownloadState::Failed;
            item.failureReason = QStringLiteral("链接不是可下载的网络地址");
        } else if (const CompletedFile* done = completedIn(batch.folder, item.url)) {
            item.targetPath = done->path;
            item.state = DownloadState::Done;
            item.bytesReceived = item.bytesTotal = done->size;
            batch.doneEntries.insert(item.id, {item.title, QFileInfo(done->path).fileName()});
        } else {
            item.targetPath = freeTargetPath(batch.folder, fileName, item.url, reserved);
            reserved.insert(item.targetPath);
            const qint64 partSize = QFileInfo(partPathFor(item.targetPath)).size();
            item.bytesReceived = partSize;
        }
        batch.ids.append(item.id);
        d->byId.insert(item.id, entry.get());
        d->entries.push_back(std::move(entry));
        emit itemAdded(item.id);
    }
    startWaiting();
    scheduleSave();
    // A batch whose songs were all there already ends once the caller has its id.
    QMetaObject::invokeMethod(
        this, [this, id = batch.id] { finishBatchIfDone(id); }, Qt::QueuedConnection);
    return batch.id;
}

const CompletedFile* DownloadQueue::completedIn(const QString& folder, const QUrl& url) const
{
    const QString link = url.toString(QUrl::FullyEncoded);
    for (qsizetype i = d->completed.size(); i > 0; --i) {
        const CompletedFile& file = d->completed.at(i - 1);
        if (file.url != link)
            continue;
        const QFileInfo info(file.path);
        if (absoluteFolder(info.absolutePath()) == folder && info.isFile() && info.size() == file.size)
            return &file;
    }
    return nullptr;
}

QString DownloadQueue::freeTargetPath(const QString& folder, const QString& fileName, const QUrl& url,
                                      const QSet<QString>& reserved) const
{
    const QDir dir(folder);
    const QString link = url.toString(QUrl::FullyEncoded);
    for (int copy = 1;; ++copy) {
        const QString path = dir.filePath(numberedFileName(fileName, copy));
        if (reserved.contains(path) || QFileInfo::exists(path))
            continue;
        // A part file of the same link is continued; one of another link belongs to someone else.
        if (QFileInfo::exists(partPathFor(path)) && d->disk.readRecord(path).url != link)
            continue;
        return path;
    }
}

QList<DownloadItem> DownloadQueue::items() const
{
    QList<DownloadItem> list;
    list.reserve(qsizetype(d->entries.size()));
    for (const auto& entry : d->entries)
        list.append(entry->item);
    return list;
}

DownloadItem DownloadQueue::item(int id) const
{
    const QueueEntry* entry = d->entry(id);
    return entry ? entry->item : DownloadItem{};
}

QueueProgress DownloadQueue::progress() const
{
    QueueProgress progress;
    double finishedShare = 0;
    for (const auto& entry : d->entries) {
        const DownloadItem& item = entry->item;
        if (item.state == DownloadState::Cancelled)
            continue;
        ++progress.total;
        progress.bytesPerSecond += item.bytesPerSecond;
        if (item.state == DownloadState::Done) {
            ++progress.done;
            finishedShare += 1;
        } else if (item.state == DownloadState::Failed) {
            finishedShare += 1;
        } else if (item.bytesTotal > 0) {
            finishedShare += qBound(0.0, double(item.bytesReceived) / double(item.bytesTotal), 1.0);
        }
    }
    progress.percent = progress.total > 0 ? int(finishedShare * 100 / progress.total) : 0;
    return progress;
}

bool DownloadQueue::hasActiveItems() const
{
    for (const auto& entry : d->entries) {
        if (entry->item.state == DownloadState::Waiting || entry->item.state == DownloadState::Downloading)
            return true;
    }
    return false;
}

void DownloadQueue::pause(int id)
{
    QueueEntry* entry = d->entry(id);
    if (!entry ||
        (entry->item.state != DownloadState::Waiting && entry->item.state != DownloadState::Downloading))
        return;
    stopTransfer(entry);
    setState(entry, DownloadState::Paused);
    startWaiting();
}

void DownloadQueue::resume(int id)
{
    QueueEntry* entry = d->entry(id);
    if (!entry || entry->item.state != DownloadState::Paused)
        return;
    setState(entry, DownloadState::Waiting);
    startWaiting();
}

void DownloadQueue::cancel(int id)
{
    QueueEntry* entry = d->entry(id);
    if (!entry || entry->item.state == DownloadState::Done || entry->item.state == DownloadState::Cancelled)
        return;
    if (entry->transfer && entry->transfer->isFinalizing())
        return; // all its bytes are in: it ends in a moment
    stopTransfer(entry);
    d->disk.removePartFiles(entry->item.targetPath);
    entry->item.bytesReceived = 0;
    setState(entry, DownloadState::Cancelled);
    startWaiting();
    finishBatchIfDone(entry->item.batchId);
}

void DownloadQueue::retry(int id)
{
    QueueEntry* entry = d->entry(id);
    if (!entry ||
        (entry->item.state != DownloadState::Failed && entry->item.state != DownloadState::Cancelled))
        return;
    if (!entry->item.url.isValid())
        return;
    setState(entry, DownloadState::Waiting);
    startWaiting();
}

void DownloadQueue::pauseAll()
{
    // Waiting items first, so stopping a running one does not start a waiting one.
    for (const auto& entry : d->entries) {
        if (entry->item.state == DownloadState::Waiting)
            setState(entry.get(), DownloadState::Paused);
    }
    for (const auto& entry : d->entries) {
        if (entry->item.state == DownloadState::Downloading && !entry->transfer->isFinalizing()) {
            stopTransfer(entry.get());
            setState(entry.get(), DownloadState::Paused);
        }
    }
}

void DownloadQueue::resumeAll()
{
    for (const auto& entry : d->entries) {
        if (entry->item.state == DownloadState::Paused)
            setState(entry.get(), DownloadState::Waiting);
    }
    startWaiting();
}

void DownloadQueue::clearFinished()
{
    QList<int> removed;
    std::erase_if(d->entries, [&](const std::unique_ptr<QueueEntry>& entry) {
        const DownloadState state = entry->item.state;
        if (state != DownloadState::Done && state != DownloadState::Cancelled)
            return false;
        removed.append(entry->item.id);
        d->byId.remove(entry->item.id);
        d->changed.remove(entry->item.id);
        return true;
    });
    // A batch that has ended and shows no items any more is forgotten.
    d->batches.removeIf([this](const QHash<int, QueueBatch>::iterator& batch) {
        return batch->reported && std::none_of(batch->ids.cbegin(), batch->ids.cend(),
                                               [this](int id) { return d->byId.contains(id); });
    });
    for (int id : std::as_const(removed))
        emit itemRemoved(id);
    scheduleSave();
}

int DownloadQueue::maxConcurrent() const
{
    return d->maxConcurrent;
}

void DownloadQueue::setMaxConcurrent(int count)
{
    d->maxConcurrent = qBound(1, count, 8);
    startWaiting();
}

DownloadTiming DownloadQueue::timing() const
{
    return d->timing;
}

void DownloadQueue::setTiming(const DownloadTiming& timing)
{
    d->timing = timing;
    d->progressTimer.setInterval(timing.progressIntervalMs);
}

QString DownloadQueue::storePath() const
{
    return d->storePath;
}

void DownloadQueue::setStorePath(const QString& path)
{
    d->storePath = path;
}

void DownloadQueue::startWaiting()
{
    int running = 0;
    // The limit is on connections: a download that only waits for its sync and rename holds none.
    for (const auto& entry : d->entries)
        running +=
            entry->item.state == DownloadState::Downloading && !entry->transfer->isFinalizing() ? 1 : 0;
    for (const auto& entry : d->entries) {
        if (running >= d->maxConcurrent)
            break;
        if (entry->item.state != DownloadState::Waiting)
            continue;
        start(entry.get());
        ++running;
    }
}

void DownloadQueue::start(QueueEntry* entry)
{
    const int id = entry->item.id;
    entry->transfer =
        new DownloadTransfer(d->network, &d->disk, d->timing, entry->item.url, entry->item.targetPath, this);
    connect(entry->transfer, &DownloadTransfer::progressed, this, [this, id] { d->changed.insert(id); });
    connect(entry->transfer, &DownloadTransfer::bytesComplete, this, &DownloadQueue::startWaiting);
    connect(entry->transfer, &DownloadTransfer::finished, this,
            [this, id](const TransferOutcome& outcome) { onTransferFinished(id, outcome); });
    entry->rateBytes = entry->item.bytesReceived;
    entry->rateClock.start();
    entry->smoothedRate = 0;
    setState(entry, DownloadState::Downloading);
    if (!d->progressTimer.isActive())
        d->progressTimer.start();
    entry->transfer->start();
}

void DownloadQueue::stopTransfer(QueueEntry* entry)
{
    if (!entry->transfer)
        return;
    entry->transfer->stop();
    entry->item.bytesReceived = entry->transfer->bytesReceived();
    entry->transfer->deleteLater();
    entry->transfer = nullptr;
}

void DownloadQueue::setState(QueueEntry* entry, DownloadState state, const QString& reason)
{
    DownloadItem& item = entry->item;
    item.state = state;
    item.failureReason = state == DownloadState::Failed ? reason : QString();
    if (state != DownloadState::Downloading)
        item.bytesPerSecond = 0;
    // The batch is open again: its end is announced, and its playlist written, once more.
    if (auto batch = d->batches.find(item.batchId); batch != d->batches.end() && !isFinishedState(state))
        batch->reported = false;
    d->changed.remove(item.id);
    emit itemChanged(item.id);
    scheduleSave();
}

void DownloadQueue::onTransferFinished(int id, const TransferOutcome& outcome)
{
    QueueEntry* entry = d->entry(id);
    if (!entry)
        return;
    entry->transfer->deleteLater();
    entry->transfer = nullptr;
    DownloadItem& item = entry->item;
    if (outcome.ok) {
        item.targetPath = outcome.finalPath;
        item.bytesReceived = item.bytesTotal = outcome.size;
        d->completed.append({item.url.toString(QUrl::FullyEncoded), outcome.finalPath, outcome.size});
        if (d->completed.size() > MaxCompletedFiles)
            d->completed.remove(0, d->completed.size() - MaxCompletedFiles);
        QueueBatch& batch = d->batches[item.batchId];
        batch.doneEntries.insert(id, {item.title, QDir(batch.folder).relativeFilePath(outcome.finalPath)});
        setState(entry, DownloadState::Done);
    } else {
        item.bytesReceived = QFileInfo(partPathFor(item.targetPath)).size();
        setState(entry, DownloadState::Failed, outcome.reason);
    }
    startWaiting();
    finishBatchIfDone(item.batchId);
}

void DownloadQueue::reportProgress()
{
    bool anyRunning = false;
    for (const auto& entry : d->entries) {
        if (entry->item.state != DownloadState::Downloading || !entry->transfer)
            continue;
        anyRunning = true;
        DownloadItem& item = entry->item;
        item.bytesReceived = entry->transfer->bytesReceived();
        item.bytesTotal = entry->transfer->bytesTotal();
        const qint64 elapsed = entry->rateClock.restart();
        if (elapsed > 0) {
            const double rate = double(item.bytesReceived - entry->rateBytes) * 1000.0 / double(elapsed);
            entry->smoothedRate = entry->smoothedRate == 0 ? rate : 0.7 * entry->smoothedRate + 0.3 * rate;
            item.bytesPerSecond = qMax<qint64>(0, qint64(entry->smoothedRate));
        }
        entry->rateBytes = item.bytesReceived;
        d->changed.insert(item.id);
    }
    const QSet<int> changed = std::exchange(d->changed, {});
    for (const auto& entry : d->entries) {
        if (changed.contains(entry->item.id))
            emit itemChanged(entry->item.id);
    }
    if (!anyRunning)
        d->progressTimer.stop();
}

void DownloadQueue::finishBatchIfDone(int batchId)
{
    auto found = d->batches.find(batchId);
    if (found == d->batches.end() || found->reported)
        return;
    QueueBatch& batch = *found;
    BatchResult result;
    result.batchId = batch.id;
    result.folder = batch.folder;
    result.keyword = batch.keyword;
    QList<PlaylistEntry> playlist;
    for (int id : std::as_const(batch.ids)) {
        const QueueEntry* entry = d->entry(id);
        const DownloadState state = entry ? entry->item.state : DownloadState::Done;
        if (!isFinishedState(state))
            return;
        if (state == DownloadState::Failed)
            ++result.failed;
        else if (state == DownloadState::Cancelled)
            ++result.cancelled;
        else if (batch.doneEntries.contains(id)) {
            ++result.done;
            playlist.append(batch.doneEntries.value(id));
        }
    }
    batch.reported = true;
    if (!playlist.isEmpty() && !batch.keyword.isEmpty()) {
        const QString path = QDir(batch.folder).filePath(playlistFileName(batch.keyword));
        const DownloadFileResult written = writePlaylist(path, playlist);
        if (written.ok)
            result.playlistPath = path;
        else
            result.playlistError = written.errorString;
    }
    scheduleSave();
    emit batchFinished(result);
}

void DownloadQueue::scheduleSave()
{
    if (!d->storePath.isEmpty() && !d->saveTimer.isActive())
        d->saveTimer.start(d->timing.saveDelayMs);
}

DownloadFileResult DownloadQueue::save()
{
    d->saveTimer.stop();
    if (d->storePath.isEmpty())
        return {true, {}};
    QueueStore store;
    store.completed = d->completed;
    QList<int> batchIds = d->batches.keys();
    std::sort(batchIds.begin(), batchIds.end()); // the order they were added in
    for (int batchId : std::as_const(batchIds)) {
        const QueueBatch& batch = *d->batches.constFind(batchId);
        StoredBatch stored{batch.folder, batch.keyword, batch.reported, {}};
        bool unfinished = false;
        for (int id : batch.ids) {
            const QueueEntry* entry = d->entry(id);
            if (!entry) {
                if (batch.doneEntries.contains(id)) {
                    DownloadItem done;
                    done.title = batch.doneEntries.value(id).title;
                    done.targetPath = QDir(batch.folder).filePath(batch.doneEntries.value(id).location);
                    done.state = DownloadState::Done;
                    stored.items.append(done);
                }
                continue;
            }
            const DownloadState state = entry->item.state;
            if (state == DownloadState::Cancelled)
                continue;
            unfinished = unfinished || state != DownloadState::Done;
            stored.items.append(entry->item);
        }
        if (unfinished)
            store.batches.append(stored);
    }
    return writeQueueStore(d->storePath, store);
}

DownloadFileResult DownloadQueue::load()
{
    QueueStore store;
    const DownloadFileResult read = readQueueStore(d->storePath, &store);
    if (!read.ok)
        return read;
    d->completed = store.completed;
    for (const StoredBatch& stored : std::as_const(store.batches)) {
        QueueBatch& batch = d->batches[d->nextBatchId];
        batch.id = d->nextBatchId++;
        batch.folder = stored.folder;
        batch.keyword = stored.keyword;
        batch.reported = stored.reported;
        for (const DownloadItem& storedItem : stored.items) {
            auto entry = std::make_unique<QueueEntry>();
            DownloadItem& item = entry->item;
            item = storedItem;
            item.id = d->nextId++;
            item.batchId = batch.id;
            // Nothing restarts by itself after a start of the program: the user resumes.
            if (!isFinishedState(item.state))
                item.state = DownloadState::Paused;
            if (item.state == DownloadState::Done) {
                item.bytesReceived = item.bytesTotal = QFileInfo(item.targetPath).size();
                batch.doneEntries.insert(item.id,
                                         {item.title, QDir(batch.folder).relativeFilePath(item.targetPath)});
            } else {
                item.bytesReceived = QFileInfo(partPathFor(item.targetPath)).size();
                const PartRecord record = d->disk.readRecord(item.targetPath);
                item.bytesTotal =
                    record.url == item.url.toString(QUrl::FullyEncoded) ? record.expectedSize : -1;
            }
            batch.ids.append(item.id);
            d->byId.insert(item.id, entry.get());
            d->entries.push_back(std::move(entry));
            emit itemAdded(item.id);
        }
    }
    return {true, {}};
}

} // namespace Qorvin
