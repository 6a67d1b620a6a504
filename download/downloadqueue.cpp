// SPDX-License-Identifier: MIT
#include "download/downloadqueue.h"

#include "download/downloadqueueprivate.h"

#include "download/completedfiles.h"
#include "download/downloadtransfer.h"
#include "download/folderlock.h"
#include "download/partrecord.h"
#include "download/queuebatches.h"
#include "download/queueentry.h"
#include "download/queuefolders.h"
#include "download/queuestoremapping.h"
#include "download/sharedstore.h"
#include "download/songfilename.h"
#include "download/targetchoice.h"

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
    // A song being renamed when the program quits ends here, with the name the rename gave it, so
    // the store does not keep it as unfinished while its file is complete.
    d->disk.waitForDone();
    for (const auto& entry : d->entries) {
        if (!entry->transfer || !entry->transfer->isFinalizing())
            continue;
        const std::optional<TransferOutcome> outcome =
            d->disk.takeFinalized(entry->transfer->finalizeToken());
        entry->transfer->stop();
        if (!outcome || !outcome->ok)
            continue;
        entry->item.state = DownloadState::Done;
        finishDownload(entry.get(), *outcome);
    }
    if (d->saveTimer.isActive() || !d->unsettled.isEmpty())
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
        } else if (const TargetChoice choice =
                       chooseTarget(songFolder, fileName, item.url.toString(QUrl::FullyEncoded), reserved,
                                    [this](const QString& path) { return d->disk.readRecord(path); });
                   choice.finished) {
            // Completed by a run that ended before it could store the song as done.
            item.targetPath = choice.targetPath;
            item.state = DownloadState::Done;
            finishDownload(entry.get(), {true, {}, choice.finished->path, choice.finished->size});
        } else {
            item.targetPath = choice.targetPath;
            reserved.insert(item.targetPath);
            item.bytesReceived = QFileInfo(partPathFor(item.targetPath)).size();
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
    return progressOf(d->entries);
}

bool DownloadQueue::hasActiveItems() const
{
    for (const auto& entry : d->entries) {
        if (entry->item.state == DownloadState::Waiting || entry->item.state == DownloadState::Downloading)
            return true;
    }
    return false;
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
        if (start(entry.get()))
            ++running;
    }
}

bool DownloadQueue::start(QueueEntry* entry)
{
    const QString folder = folderOf(entry->item);
    if (!d->folders.hold(folder)) {
        setState(entry, DownloadState::Failed, folderInUseText(folder));
        finishBatchIfDone(entry->item.batchId);
        return false;
    }
    const int id = entry->item.id;
    entry->transfer =
        new DownloadTransfer(d->network, &d->disk, d->timing, entry->item.url, entry->item.targetPath, this);
    if (const QueueBatch* batch = d->batches.find(entry->item.batchId); batch && batch->writeTags)
        entry->transfer->setTagValues({entry->item.title, batch->caption, entry->item.number});
    connect(entry->transfer, &DownloadTransfer::progressed, this, [this, id] { d->changed.insert(id); });
    connect(entry->transfer, &DownloadTransfer::bytesComplete, this, &DownloadQueue::startWaiting);
    connect(entry->transfer, &DownloadTransfer::finished, this,
            [this, id, transfer = entry->transfer](const TransferOutcome& outcome) {
                onTransferFinished(id, transfer, outcome);
            });
    entry->restartRate();
    setState(entry, DownloadState::Downloading);
    if (!d->progressTimer.isActive())
        d->progressTimer.start();
    entry->transfer->start();
    return true;
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
    if (state != DownloadState::Waiting && state != DownloadState::Downloading)
        d->folders.releaseIdle(d->entries);
    emit itemChanged(item.id);
    scheduleSave();
}

void DownloadQueue::onTransferFinished(int id, DownloadTransfer* transfer, const TransferOutcome& outcome)
{
    QueueEntry* entry = d->entry(id);
    // A transfer stopped and replaced meanwhile speaks for nothing the item holds now.
    if (!entry || entry->transfer != transfer)
        return;
    entry->transfer->deleteLater();
    entry->transfer = nullptr;
    DownloadItem& item = entry->item;
    if (outcome.ok) {
        item.notice = outcome.tagProblem.isEmpty() ? QString()
                                                   : QStringLiteral("未写入歌曲信息: ") + outcome.tagProblem;
        finishDownload(entry, outcome);
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

void DownloadQueue::finishDownload(QueueEntry* entry, const TransferOutcome& outcome)
{
    d->unsettled.append({entry->item.targetPath, outcome.finalPath});
    markDone(entry, outcome.finalPath, outcome.size);
    if (d->storePath.isEmpty())
        settleRecords(); // nothing keeps the song as complete but the file itself
}

void DownloadQueue::settleRecords()
{
    for (const auto& [targetPath, finalPath] : std::exchange(d->unsettled, {}))
        d->disk.settleRecord(targetPath, finalPath);
}

void DownloadQueue::markDone(QueueEntry* entry, QString filePath, qint64 size)
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
    const Outcome saved = saveSharedStore(
        d->storePath,
        storeOfQueue(
            d->batches, [this](int id) -> const QueueEntry* { return d->entry(id); }, d->completed));
    if (saved.ok)
        settleRecords();
    return saved;
}

Outcome DownloadQueue::load()
{
    QueueStore store;
    const Outcome read = readQueueStore(d->storePath, &store);
    if (!read.ok)
        return read;
    d->completed.setList(store.completed);
    auto restored = restoreQueue(
        store, d->batches, d->nextId,
        [this](const QString& targetPath) { return d->disk.readRecord(targetPath); }, d->completed,
        d->unsettled);
    QSet<int> batchIds;
    for (auto& entry : restored) {
        const int id = entry->item.id;
        batchIds.insert(entry->item.batchId);
        d->append(std::move(entry));
        emit itemAdded(id);
    }
    if (!d->unsettled.isEmpty())
        scheduleSave();
    // A batch whose last songs were finished by a run stopped before it reported them ends now,
    // with its playlist, once the caller has the items.
    for (const int batchId : std::as_const(batchIds))
        QMetaObject::invokeMethod(this, [this, batchId] { finishBatchIfDone(batchId); }, Qt::QueuedConnection);
    return {true, {}};
}

} // namespace Qorvin
