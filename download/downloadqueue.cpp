// SPDX-License-Identifier: MIT
#include "download/downloadqueue.h"

#include "download/completedfiles.h"
#include "download/downloadtransfer.h"
#include "download/partrecord.h"
#include "download/queuebatches.h"
#include "download/queueentry.h"
#include "download/queuestoremapping.h"
#include "download/songfilename.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QNetworkAccessManager>
#include <QSet>
#include <QStandardPaths>
#include <QTimer>

#include <memory>
#include <vector>

namespace Qorvin {

namespace {

QString absoluteFolder(const QString& folder)
{
    return QDir::cleanPath(QDir(folder).absolutePath());
}

} // namespace

class DownloadQueue::Private
{
public:
    QNetworkAccessManager* network = nullptr;
    DownloadTiming timing;
    int maxConcurrent = 3;
    int nextId = 1;
    QString storePath;
    std::vector<std::unique_ptr<QueueEntry>> entries; // in the order they were added
    QHash<int, QueueEntry*> byId;
    QueueBatches batches;
    CompletedFiles completed;
    QSet<int> changed;
    DiskJobs disk;
    QTimer progressTimer;
    QTimer saveTimer;

    QueueEntry* entry(int id) const { return byId.value(id); }
    void append(std::unique_ptr<QueueEntry> entry)
    {
        byId.insert(entry->item.id, entry.get());
        entries.push_back(std::move(entry));
    }
};

DownloadQueue::DownloadQueue(QNetworkAccessManager* network, QObject* parent)
    : QObject(parent), d(std::make_unique<Private>())
{
    // The program's main() chooses the proxy for every manager, this one included.
    if (!network)
        network = new QNetworkAccessManager(this);
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
        markDone(entry.get(), item.targetPath, QFileInfo(item.targetPath).size());
        scheduleSave();
    }
    if (d->saveTimer.isActive())
        save();
}

int DownloadQueue::add(const QList<DownloadRequest>& songs, const QString& folder, const QString& keyword,
                       const BatchChoices& choices)
{
    QueueBatch& batch = d->batches.open(absoluteFolder(folder), keyword);
    batch.writeTags = choices.writeTags;
    batch.caption = keyword.isEmpty() ? choices.caption : keyword;
    const auto numberOf = [&songs](qsizetype i) {
        return songs.at(i).number > 0 ? songs.at(i).number : int(i + 1);
    };
    int lastNumber = 0;
    for (qsizetype i = 0; i < songs.size(); ++i)
        lastNumber = qMax(lastNumber, numberOf(i));
    const int numberWidth = int(QString::number(lastNumber).size());
    QSet<QString> reserved = reservedTargetPaths();

    for (qsizetype i = 0; i < songs.size(); ++i) {
        auto entry = std::make_unique<QueueEntry>();
        DownloadItem& item = entry->item;
        item.id = d->nextId++;
        item.batchId = batch.id;
        item.title = songs.at(i).title;
        item.url = songs.at(i).url;
        item.number = numberOf(i);
        // The template's folders go inside the batch's folder; the name only is numbered.
        const QString relativePath = songRelativePath(
            choices.nameTemplate, {item.title, item.number, numberWidth, batch.caption}, item.url);
        const qsizetype slash = relativePath.lastIndexOf(u'/');
        const QString songFolder =
            slash < 0 ? batch.folder : QDir::cleanPath(QDir(batch.folder).filePath(relativePath.left(slash)));
        const QString fileName = relativePath.mid(slash + 1);
        if (!item.url.isValid()) {
            item.targetPath = QDir(songFolder).filePath(fileName);
            item.state = DownloadState::Failed;
            item.failureReason = QStringLiteral("链接不是可下载的网络地址");
        } else if (const CompletedFile* done = d->completed.find(batch.folder, item.url)) {
            item.state = DownloadState::Done;
            item.existed = true;
            markDone(entry.get(), done->path, done->size);
        } else {
            item.targetPath = freeTargetPath(songFolder, fileName, item.url, reserved);
            reserved.insert(item.targetPath);
            const qint64 partSize = QFileInfo(partPathFor(item.targetPath)).size();
            item.bytesReceived = partSize;
        }
        batch.ids.append(item.id);
        d->append(std::move(entry));
        emit itemAdded(item.id);
    }
    startWaiting();
    scheduleSave();
    // A batch whose songs were all there already ends once the caller has its id.
    QMetaObject::invokeMethod(
        this, [this, id = batch.id] { finishBatchIfDone(id); }, Qt::QueuedConnection);
    return batch.id;
}

QSet<QString> DownloadQueue::reservedTargetPaths() const
{
    // A failed item may be retried into its name; a done or cancelled one has no claim on it.
    QSet<QString> reserved;
    for (const auto& entry : d->entries) {
        if (!isFinishedState(entry->item.state) || entry->item.state == DownloadState::Failed)
            reserved.insert(entry->item.targetPath);
    }
    return reserved;
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

void DownloadQueue::redownload(int id)
{
    QueueEntry* entry = d->entry(id);
    if (!entry || entry->item.state != DownloadState::Done || !entry->item.url.isValid())
        return;
    DownloadItem& item = entry->item;
    const QFileInfo old(item.targetPath);
    item.targetPath = freeTargetPath(old.absolutePath(), old.fileName(), item.url, reservedTargetPaths());
    item.existed = false;
    item.notice.clear();
    item.bytesReceived = 0;
    item.bytesTotal = -1;
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
    d->batches.forgetEnded([this](int id) { return d->byId.contains(id); });
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
    if (const QueueBatch* batch = d->batches.find(entry->item.batchId); batch && batch->writeTags)
        entry->transfer->setTagValues({entry->item.title, batch->caption, entry->item.number});
    connect(entry->transfer, &DownloadTransfer::progressed, this, [this, id] { d->changed.insert(id); });
    connect(entry->transfer, &DownloadTransfer::bytesComplete, this, &DownloadQueue::startWaiting);
    connect(entry->transfer, &DownloadTransfer::finished, this,
            [this, id](const TransferOutcome& outcome) { onTransferFinished(id, outcome); });
    entry->restartRate();
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
    if (!isFinishedState(state))
        d->batches.reopen(item.batchId);
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
        item.notice = outcome.tagProblem.isEmpty() ? QString()
                                                   : QStringLiteral("未写入歌曲信息: ") + outcome.tagProblem;
        markDone(entry, outcome.finalPath, outcome.size);
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
        entry->measureRate();
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

void DownloadQueue::markDone(QueueEntry* entry, const QString& filePath, qint64 size)
{
    DownloadItem& item = entry->item;
    item.targetPath = filePath;
    item.bytesReceived = item.bytesTotal = size;
    d->completed.add(item.url, filePath, size);
    d->batches.recordDone(item.batchId, item.id, item.title, filePath);
}

void DownloadQueue::finishBatchIfDone(int batchId)
{
    const std::optional<BatchResult> result =
        d->batches.finishIfDone(batchId, [this](int id) -> std::optional<DownloadState> {
            const QueueEntry* entry = d->entry(id);
            return entry ? std::optional(entry->item.state) : std::nullopt;
        });
    if (!result)
        return;
    scheduleSave();
    emit batchFinished(*result);
}

void DownloadQueue::scheduleSave()
{
    if (!d->storePath.isEmpty() && !d->saveTimer.isActive())
        d->saveTimer.start(d->timing.saveDelayMs);
}

Outcome DownloadQueue::save()
{
    d->saveTimer.stop();
    if (d->storePath.isEmpty())
        return {true, {}};
    return writeQueueStore(
        d->storePath,
        storeOfQueue(
            d->batches, [this](int id) -> const QueueEntry* { return d->entry(id); }, d->completed));
}

Outcome DownloadQueue::load()
{
    QueueStore store;
    const Outcome read = readQueueStore(d->storePath, &store);
    if (!read.ok)
        return read;
    d->completed.setList(store.completed);
    auto restored = restoreQueue(store, d->batches, d->nextId, [this](const QString& targetPath) {
        return d->disk.readRecord(targetPath);
    });
    for (auto& entry : restored) {
        const int id = entry->item.id;
        d->append(std::move(entry));
        emit itemAdded(id);
    }
    return {true, {}};
}

} // namespace Qorvin
