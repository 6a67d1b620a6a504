// SPDX-License-Identifier: MIT
// The queue's file when more than one program writes it: two runs of the command line at once
// each keep the songs they completed, instead of the last writer's list alone.
#pragma once

#include "download/queuestore.h"

namespace Qorvin {

// Under a lock beside the file: reads the stored completed songs, puts those of store after them
// (the newer entry of one file wins), and writes the whole with store's batches. A file of a newer
// version is left as it is, and the failure says so.
Outcome saveSharedStore(const QString& filePath, const QueueStore& store);

} // namespace Qorvin
