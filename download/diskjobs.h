// SPDX-License-Identifier: MIT
// The slow file work of the downloads (syncing to disk, renaming, the part records), done in order
// on one worker thread so that a sync never holds up the other downloads' sockets.
#pragma once

#include "partrecord.h"

#include <QObject>
#include <QString>
#include <QThreadPool>

#include <atomic>

namespace Qorvin {

struct TransferOutcome
{
    bool ok = false;
    QString reason;    // in Chinese, when not ok
    QString finalPath; // the complete file, when ok
    qint64 size = 0;
};

class DiskJobs : public QObject
{
    Q_OBJECT

public:
    explicit DiskJobs(QObject* parent = nullptr);
    // Waits for the jobs still queued: a file being renamed is never left half done.
    ~DiskJobs() override;

    void writeRecord(const QString& targetPath, const PartRecord& record);
    void removeRecord(const QString& targetPath);
    // Removes the part file and its record now, and once more after the jobs already queued.
    void removePartFiles(const QString& targetPath);

    // Syncs the complete part file of targetPath, renames it to targetPath (or "name (2).mp3" when
    // that name was taken meanwhile) and removes its record; finalized(token, outcome) follows.
    quint64 finalize(const QString& targetPath, qint64 size);

    // Blocks until every queued job is done (tests and shutdown).
    void waitForDone();

signals:
    void finalized(quint64 token, const Qorvin::TransferOutcome& outcome);

private:
    QThreadPool m_pool;
    std::atomic<quint64> m_nextToken{1};
};

} // namespace Qorvin
