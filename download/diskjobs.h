// SPDX-License-Identifier: MIT
// The slow file work of the downloads (syncing to disk, renaming, the part records), done on worker
// threads so that a sync never holds up the downloads' sockets. The jobs of one song run in the order
// they were asked for; those of different songs run side by side, so one song's sync does not wait
// for another's.
#pragma once

#include "download/partrecord.h"
#include "download/songtags.h"

#include <QHash>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include <atomic>
#include <functional>
#include <optional>

namespace Qorvin {

struct TransferOutcome
{
    bool ok = false;
    QString reason;    // in Chinese, when not ok
    QString finalPath; // the complete file, when ok
    qint64 size = 0;
    QString tagProblem = {}; // in Chinese: why a song done all the same has no tags written
};

class DiskJobs : public QObject
{
    Q_OBJECT

public:
    explicit DiskJobs(QObject* parent = nullptr);
    // Waits for the jobs still queued: a file being renamed is never left half done.
    ~DiskJobs() override;

    void writeRecord(const QString& targetPath, const PartRecord& record);
    // The record as the queued jobs leave it: one still waiting to be written counts already.
    PartRecord readRecord(const QString& targetPath) const;
    // Removes the part file and its record now, and once more after the jobs already queued.
    void removePartFiles(const QString& targetPath);

    // Has the system start writing these bytes of targetPath's part file to the disk, so that its
    // final sync has little left; a worker does it because the request can wait for a busy disk.
    void startWriteback(const QString& targetPath, qint64 offset, qint64 length);

    // Syncs the complete part file of targetPath and renames it to targetPath (or "name (2).mp3"
    // when that name was taken meanwhile); its record, naming the final file, stays until
    // settleRecord. finalized(token, outcome) follows. With tags, the part file is tagged first
    // (download/taggedfile.h); when the tags cannot be written it takes its name untagged, and the
    // outcome says why.
    quint64 finalize(const QString& targetPath, qint64 size, const std::optional<SongTagValues>& tags = {});
    // The outcome of a finalize once it has run, handed out once: a receiver gone meanwhile (the
    // queue at quit) still learns where the song went.
    std::optional<TransferOutcome> takeFinalized(quint64 token);
    // Removes the record of targetPath's finished download, once the song is stored as complete,
    // unless a new download of that name has written a record of its own meanwhile.
    void settleRecord(const QString& targetPath, const QString& finalPath);

    // passed(token) follows once the jobs of targetPath asked for so far are done.
    quint64 markPassing(const QString& targetPath);

    // Blocks until every queued job is done (tests and shutdown).
    void waitForDone();

signals:
    void finalized(quint64 token, const Qorvin::TransferOutcome& outcome);
    // A part record could not be written; the one before it, if any, is left as it was.
    void recordFailed(const QString& targetPath, const QString& reason);
    void passed(quint64 token);

private:
    void setPending(const QString& targetPath, const std::optional<PartRecord>& record);
    void jobDone(const QString& targetPath, quint64 job);
    // Runs job after the jobs of targetPath asked for before it.
    void enqueue(const QString& targetPath, std::function<void()> job);
    void enqueueLocked(const QString& targetPath, std::function<void()> job); // m_mutex held
    void runJobsOf(const QString& targetPath);

    struct Pending
    {
        std::optional<PartRecord> record; // empty: removed
        quint64 job = 0;                  // the last job that changes it
    };
    mutable QMutex m_mutex;
    QHash<QString, Pending> m_pending; // by target path
    // The jobs of each target path not yet done; the first is running.
    QHash<QString, QList<std::function<void()>>> m_jobs;
    quint64 m_nextJob = 1;
    QHash<quint64, TransferOutcome> m_finalized; // by token, until taken
    QThreadPool m_pool;
    std::atomic<quint64> m_nextToken{1};
};

} // namespace Qorvin
