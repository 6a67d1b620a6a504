// SPDX-License-Identifier: MIT
// The download queue's batches: which items each holds, in page order, the files each has
// finished, and the report (with its playlist) once every item of a batch has ended.
#pragma once

#include "download/downloaditem.h"
#include "download/playlist.h"

#include <QHash>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace Qorvin {

struct QueueBatch
{
    int id = 0;
    QString folder; // absolute and clean
    QString keyword;
    bool writeTags = false;
    QString caption; // the album for files without one: the keyword, or the caller's caption
    QList<int> ids;                        // in page order
    QHash<int, PlaylistEntry> doneEntries; // kept when an item is cleared from the list
    bool reported = false;                 // its end was announced and its playlist written
};

class QueueBatches
{
public:
    QueueBatch& open(const QString& folder, const QString& keyword, bool reported = false);
    QueueBatch* find(int batchId);
    // In the order they were opened.
    QList<const QueueBatch*> inOrder() const;

    // Counts the item's file as one of its batch's finished songs, for the batch's playlist.
    void recordDone(int batchId, int itemId, const QString& title, const QString& filePath);
    // Any change of an item but its end opens its batch again: its end is reported once more.
    void reopen(int batchId);

    // The batch's report once none of its items can change by itself any more (stateOf gives
    // nothing for an item cleared from the list); the playlist is written then. Nothing while an
    // item still runs, or when the end was reported already.
    std::optional<BatchResult> finishIfDone(int batchId,
                                            const std::function<std::optional<DownloadState>(int)>& stateOf);

    // Forgets the reported batches none of whose items the queue still lists.
    void forgetEnded(const std::function<bool(int itemId)>& isListed);

private:
    QHash<int, QueueBatch> m_batches;
    int m_nextId = 1;
};

} // namespace Qorvin
