// SPDX-License-Identifier: MIT
// The queue's items and batches as its file keeps them, and back.
#pragma once

#include "download/completedfiles.h"
#include "download/partrecord.h"
#include "download/queuebatches.h"
#include "download/queueentry.h"
#include "download/queuestore.h"

#include <functional>
#include <memory>
#include <vector>

namespace Qorvin {

// The unfinished batches, each with its done and unfinished items (cancelled ones left out),
// and the completed files.
QueueStore storeOfQueue(const QueueBatches& batches, const std::function<const QueueEntry*(int)>& entryOf,
                        const CompletedFiles& completed);

// The stored batches opened again, their items numbered from nextId on. Nothing restarts by itself
// after a start of the program: unfinished items come back paused, with the bytes their part files
// hold; readRecord reads a part file's record. An item whose record says the last run completed
// it comes back done: its file joins completed, and its (target, final) paths join unsettled.
std::vector<std::unique_ptr<QueueEntry>>
restoreQueue(const QueueStore& store, QueueBatches& batches, int& nextId,
             const std::function<PartRecord(const QString&)>& readRecord, CompletedFiles& completed,
             QList<std::pair<QString, QString>>& unsettled);

} // namespace Qorvin
