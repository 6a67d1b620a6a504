// SPDX-License-Identifier: MIT
// The download queue's state, shared by the files its members are written in.
#pragma once

#include "download/completedfiles.h"
#include "download/diskjobs.h"
#include "download/downloadqueue.h"
#include "download/queuebatches.h"
#include "download/queueentry.h"
#include "download/queuefolders.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QTimer>

#include <memory>
#include <utility>
#include <vector>

class QNetworkAccessManager;

namespace Qorvin {

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
    QueueFolders folders;
    // Finished downloads whose records stay beside their files until the store lists them:
    // (target path, final path).
    QList<std::pair<QString, QString>> unsettled;
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

} // namespace Qorvin
