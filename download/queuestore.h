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

// A missing file is an empty store; an unreadable or malformed one fails with the reason.
Outcome readQueueStore(const QString& filePath, QueueStore* store);

} // namespace Qorvin
