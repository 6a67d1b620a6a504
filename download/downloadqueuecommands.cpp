// SPDX-License-Identifier: MIT
// The download queue's answers to the user: pause, resume, cancel, retry, fetch again, clear.
#include "download/downloadqueue.h"

#include "download/downloadqueueprivate.h"
#include "download/downloadtransfer.h"
#include "download/partrecord.h"
#include "download/targetchoice.h"

#include <QFileInfo>

namespace Qorvin {

void DownloadQueue::pause(int id)
{
    QueueEntry* entry = d->entry(id);
    if (!entry ||
        (entry->item.state != DownloadState::Waiting && entry->item.state != DownloadState::Downloading))
        return;
    if (entry->transfer && entry->transfer->isFinalizing())
        return; // all its bytes are in: it ends in a moment
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
    // Beside the old file, which keeps its name: a name taken now is numbered.
    item.targetPath = chooseTarget(old.absolutePath(), old.fileName(), item.url.toString(QUrl::FullyEncoded),
                                   reservedTargetPaths() << item.targetPath,
                                   [this](const QString& path) { return d->disk.readRecord(path); })
                          .targetPath;
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

} // namespace Qorvin
