// SPDX-License-Identifier: MIT
#include "download/queuestoremapping.h"

#include "download/targetchoice.h"

#include <QDir>
#include <QFileInfo>

namespace Qorvin {

QueueStore storeOfQueue(const QueueBatches& batches, const std::function<const QueueEntry*(int)>& entryOf,
                        const CompletedFiles& completed)
{
    QueueStore store;
    store.completed = completed.list();
    for (const QueueBatch* batch : batches.inOrder()) {
        StoredBatch stored{batch->folder,    batch->keyword, batch->reported, {},
                           batch->writeTags, batch->caption};
        bool unfinished = false;
        for (int id : batch->ids) {
            const QueueEntry* entry = entryOf(id);
            if (!entry) {
                // Cleared from the list when it was done: still one of the batch's songs.
                if (batch->doneEntries.contains(id)) {
                    DownloadItem done;
                    done.title = batch->doneEntries.value(id).title;
                    done.targetPath = QDir(batch->folder).filePath(batch->doneEntries.value(id).location);
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
    return store;
}

std::vector<std::unique_ptr<QueueEntry>>
restoreQueue(const QueueStore& store, QueueBatches& batches, int& nextId,
             const std::function<PartRecord(const QString&)>& readRecord, CompletedFiles& completed,
             QList<std::pair<QString, QString>>& unsettled)
{
    std::vector<std::unique_ptr<QueueEntry>> entries;
    for (const StoredBatch& stored : store.batches) {
        QueueBatch& batch = batches.open(stored.folder, stored.keyword, stored.reported);
        batch.writeTags = stored.writeTags;
        batch.caption = stored.caption;
        for (const DownloadItem& storedItem : stored.items) {
            auto entry = std::make_unique<QueueEntry>();
            DownloadItem& item = entry->item;
            item = storedItem;
            item.id = nextId++;
            item.batchId = batch.id;
            if (!isFinishedState(item.state))
                item.state = DownloadState::Paused;
            const std::optional<CompletedFile> finished =
                item.state == DownloadState::Paused
                    ? finishedByRecord(item.targetPath, item.url.toString(QUrl::FullyEncoded),
                                       readRecord(item.targetPath))
                    : std::nullopt;
            if (finished) {
                // Completed by the last run, which ended before it could store the song as done.
                unsettled.append({item.targetPath, finished->path});
                completed.add(*finished);
                item.targetPath = finished->path;
                item.state = DownloadState::Done;
            }
            if (item.state == DownloadState::Done) {
                item.bytesReceived = item.bytesTotal = QFileInfo(item.targetPath).size();
                batches.recordDone(batch.id, item.id, item.title, item.targetPath);
            } else {
                item.bytesReceived = QFileInfo(partPathFor(item.targetPath)).size();
                const PartRecord record = readRecord(item.targetPath);
                item.bytesTotal =
                    record.url == item.url.toString(QUrl::FullyEncoded) ? record.expectedSize : -1;
            }
            batch.ids.append(item.id);
            entries.push_back(std::move(entry));
        }
    }
    return entries;
}

} // namespace Qorvin
