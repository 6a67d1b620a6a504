// SPDX-License-Identifier: MIT
#include "download/queuebatches.h"

#include <QDir>

#include <algorithm>

namespace Qorvin {

QueueBatch& QueueBatches::open(const QString& folder, const QString& keyword, bool reported)
{
    QueueBatch& batch = m_batches[m_nextId];
    batch.id = m_nextId++;
    batch.folder = folder;
    batch.keyword = keyword;
    batch.reported = reported;
    return batch;
}

QueueBatch* QueueBatches::find(int batchId)
{
    const auto found = m_batches.find(batchId);
    return found == m_batches.end() ? nullptr : &*found;
}

QList<const QueueBatch*> QueueBatches::inOrder() const
{
    QList<const QueueBatch*> batches;
    for (const QueueBatch& batch : m_batches)
        batches.append(&batch);
    std::sort(batches.begin(), batches.end(),
              [](const QueueBatch* a, const QueueBatch* b) { return a->id < b->id; });
    return batches;
}

void QueueBatches::recordDone(int batchId, int itemId, const QString& title, const QString& filePath)
{
    if (QueueBatch* batch = find(batchId))
        batch->doneEntries.insert(itemId, {title, QDir(batch->folder).relativeFilePath(filePath)});
}

void QueueBatches::reopen(int batchId)
{
    if (QueueBatch* batch = find(batchId))
        batch->reported = false;
}

std::optional<BatchResult>
QueueBatches::finishIfDone(int batchId, const std::function<std::optional<DownloadState>(int)>& stateOf)
{
    QueueBatch* batch = find(batchId);
    if (!batch || batch->reported)
        return std::nullopt;
    BatchResult result;
    result.batchId = batch->id;
    result.folder = batch->folder;
    result.keyword = batch->keyword;
    QList<PlaylistEntry> playlist;
    for (int id : std::as_const(batch->ids)) {
        const DownloadState state = stateOf(id).value_or(DownloadState::Done);
        if (!isFinishedState(state))
            return std::nullopt;
        if (state == DownloadState::Failed)
            ++result.failed;
        else if (state == DownloadState::Cancelled)
            ++result.cancelled;
        else if (batch->doneEntries.contains(id)) {
            ++result.done;
            playlist.append(batch->doneEntries.value(id));
        }
    }
    batch->reported = true;
    if (!playlist.isEmpty() && !batch->keyword.isEmpty()) {
        const QString path = QDir(batch->folder).filePath(playlistFileName(batch->keyword));
        const Outcome written = writePlaylist(path, playlist);
        if (written.ok)
            result.playlistPath = path;
        else
            result.playlistError = written.errorString;
    }
    return result;
}

void QueueBatches::forgetEnded(const std::function<bool(int itemId)>& isListed)
{
    m_batches.removeIf([&](const QHash<int, QueueBatch>::iterator& batch) {
        return batch->reported && std::none_of(batch->ids.cbegin(), batch->ids.cend(), isListed);
    });
}

} // namespace Qorvin
