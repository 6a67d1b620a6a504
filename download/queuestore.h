// SPDX-License-Identifier: MIT
// The queue's file: the unfinished batches and the links already complete in their folders.
#pragma once

#include "download/downloaditem.h"

#include <QList>
#include <QString>

namespace Qorvin {

struct StoredBatch
{
    QString folder;
    QString keyword;
    bool reported = false;     // its end was announced and its playlist written
    QList<DownloadItem> items; // id, batchId and the byte counts are not stored
    bool writeTags = false;
    QString caption; // the album for files without one
};

struct CompletedFile
{
    QString url;
    QString path;
    qint64 size = 0;
};

struct QueueStore
{
    QList<StoredBatch> batches;
    QList<CompletedFile> completed;
};

// Writes the store atomically (QSaveFile) as JSON.
Outcome writeQueueStore(const QString& filePath, const QueueStore& store);

enum class StoreState
{
    Missing,
    Read,
    Unreadable,
    Damaged, // not JSON, or not of the store's shape or version
    Newer,   // written by a newer version of the program: neither read nor to be overwritten
};

struct StoreReading
{
    StoreState state = StoreState::Missing;
    QueueStore store;
    QString problem; // in Chinese, for Unreadable and Newer
};

// Reads the store and changes nothing.
StoreReading inspectQueueStore(const QString& filePath);

// A missing file is an empty store. An unreadable one, or one of a newer version, fails with the
// reason and stays as it is; a damaged one is kept beside it (".damaged-<time>") and fails with a
// line that says so and that the list starts empty. On failure *store is empty.
Outcome readQueueStore(const QString& filePath, QueueStore* store);

} // namespace Qorvin
