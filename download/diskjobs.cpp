// SPDX-License-Identifier: MIT
#include "download/diskjobs.h"

#include "base/wholefilewrite.h"
#include "download/diskerror.h"
#include "download/norenameover.h"
#include "download/songfilename.h"
#include "download/taggedfile.h"
#include "download/writeback.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace Qorvin {

namespace {

// Past this many copies of one name the rename gives up with the reason.
constexpr int MaxCopyNumber = 1000;

// Flushes the file's bytes to the disk, so a power cut after the rename cannot leave a final name
// on missing data. 0, or the errno of the call that failed.
int syncFile(const QString& path)
{
    const int handle = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC);
    if (handle < 0)
        return errno;
    const int error = syncFileData(handle);
    ::close(handle);
    return error;
}

TransferOutcome finalizePart(const QString& targetPath, qint64 size, const std::optional<SongTagValues>& tags)
{
    const QString folder = QFileInfo(targetPath).absolutePath();
    const QString partPath = partPathFor(targetPath);
    // The tagged file is synced as it is written. A crash while it is tagged leaves no part file:
    // the next start fetches the song again.
    QString tagProblem;
    QString source = partPath;
    if (tags) {
        const QString tagged = taggedCopyPathFor(targetPath);
        const Outcome written = tagSongFile(partPath, tagged, *tags);
        if (written.ok)
            source = tagged;
        else
            tagProblem = written.errorString;
    }
    int errorNumber = source == partPath ? syncFile(partPath) : 0;
    if (errorNumber != 0)
        return {false, diskErrorReason(folder, partPath, errorNumber), {}, size};
    size = QFileInfo(source).size();
    // The folder is not synced after the rename: a crash may leave the synced file under its part
    // name, with its record, and the next start finds it complete (the server answers 416); or a
    // tagged one under its tagging name, and the next start fetches the song again.
    // The songs of this queue take their final names one at a time, so that two of one name
    // are numbered in the order they finish; only the syncs above run side by side.
    static QMutex renameMutex;
    const QMutexLocker renaming(&renameMutex);
    const QFileInfo target(targetPath);
    const QString recordPath = partRecordPathFor(targetPath);
    // The record names the file as it is now, tags included, so that a later run knows it by its size.
    PartRecord record = readPartRecord(recordPath);
    record.expectedSize = size;
    for (int copy = 1;; ++copy) {
        const QString finalPath = target.dir().filePath(numberedFileName(target.fileName(), copy));
        const bool lastTry = copy >= MaxCopyNumber;
        if (QFileInfo::exists(finalPath) && !lastTry)
            continue;
        // The record names the final file before the rename and stays after it, until the queue
        // has stored the song as complete: a run stopped in between finds its finished song by
        // it. Without that record (a full disk, say) the song is whole all the same, and the
        // earlier record goes with the part file's name.
        const bool named = writeRunningPartRecord(recordPath, record, finalPath).ok;
        errorNumber = renameWithoutReplacing(source, finalPath);
        if (errorNumber == 0) {
            if (!named)
                QFile::remove(recordPath);
            if (source != partPath) // a tagged copy leaves the part file behind
                QFile::remove(partPath);
            return {true, {}, finalPath, size, tagProblem};
        }
        if (errorNumber != EEXIST || lastTry) {
            // A tagged copy goes; a song tagged in place is the only copy and goes back under its
            // part name, where the next try finds it.
            if (source != partPath && !QFileInfo::exists(partPath))
                QFile::rename(source, partPath);
            else if (source != partPath)
                QFile::remove(source);
            return {false, diskErrorReason(folder, finalPath, errorNumber), {}, size};
        }
    }
}

} // namespace

DiskJobs::DiskJobs(QObject* parent) : QObject(parent)
{
    // Syncs mostly wait for the disk, and a few at once let the file system write them together.
    m_pool.setMaxThreadCount(4);
}

DiskJobs::~DiskJobs()
{
    m_pool.waitForDone();
}

void DiskJobs::setPending(const QString& targetPath, const std::optional<PartRecord>& record)
{
    QMutexLocker lock(&m_mutex);
    const quint64 job = m_nextJob++;
    m_pending.insert(targetPath, {record, job});
    // In order within the target path: a record is never written after its part was removed.
    enqueueLocked(targetPath, [this, targetPath, record, job] {
        if (record) {
            const Outcome written = writeRunningPartRecord(partRecordPathFor(targetPath), *record);
            if (!written.ok)
                emit recordFailed(targetPath, written.errorString);
        } else
            Qorvin::removePartFiles(targetPath);
        jobDone(targetPath, job);
    });
}

void DiskJobs::enqueue(const QString& targetPath, std::function<void()> job)
{
    QMutexLocker lock(&m_mutex);
    enqueueLocked(targetPath, std::move(job));
}

void DiskJobs::enqueueLocked(const QString& targetPath, std::function<void()> job)
{
    QList<std::function<void()>>& jobs = m_jobs[targetPath];
    jobs.append(std::move(job));
    if (jobs.size() == 1) // otherwise the thread running the path's jobs takes it in turn
        m_pool.start([this, targetPath] { runJobsOf(targetPath); });
}

void DiskJobs::runJobsOf(const QString& targetPath)
{
    for (;;) {
        std::function<void()> job;
        {
            QMutexLocker lock(&m_mutex);
            job = m_jobs.value(targetPath).constFirst();
        }
        job();
        QMutexLocker lock(&m_mutex);
        const auto jobs = m_jobs.find(targetPath);
        jobs->removeFirst();
        if (jobs->isEmpty()) {
            m_jobs.erase(jobs);
            return;
        }
    }
}

void DiskJobs::jobDone(const QString& targetPath, quint64 job)
{
    QMutexLocker lock(&m_mutex);
    const auto found = m_pending.constFind(targetPath);
    if (found != m_pending.cend() && found->job == job)
        m_pending.erase(found);
}

void DiskJobs::writeRecord(const QString& targetPath, const PartRecord& record)
{
    setPending(targetPath, record);
}

PartRecord DiskJobs::readRecord(const QString& targetPath) const
{
    {
        QMutexLocker lock(&m_mutex);
        const auto found = m_pending.constFind(targetPath);
        if (found != m_pending.cend())
            return found->record.value_or(PartRecord{});
    }
    return readPartRecord(partRecordPathFor(targetPath));
}

void DiskJobs::removePartFiles(const QString& targetPath)
{
    // At once, for the caller; and again after the jobs queued before, which may write a record.
    Qorvin::removePartFiles(targetPath);
    setPending(targetPath, std::nullopt);
}

void DiskJobs::startWriteback(const QString& targetPath, qint64 offset, qint64 length)
{
    enqueue(targetPath, [targetPath, offset, length] {
        // A part file removed or cut short meanwhile leaves nothing, or less, to write.
        QFile part(partPathFor(targetPath));
        if (part.open(QIODevice::ReadOnly))
            Qorvin::startWriteback(part.handle(), offset, length);
    });
}

quint64 DiskJobs::finalize(const QString& targetPath, qint64 size, const std::optional<SongTagValues>& tags)
{
    const quint64 token = m_nextToken++;
    enqueue(targetPath, [this, token, targetPath, size, tags] {
        const TransferOutcome outcome = finalizePart(targetPath, size, tags);
        {
            QMutexLocker lock(&m_mutex);
            m_finalized.insert(token, outcome);
        }
        emit finalized(token, outcome);
    });
    return token;
}

std::optional<TransferOutcome> DiskJobs::takeFinalized(quint64 token)
{
    QMutexLocker lock(&m_mutex);
    const auto found = m_finalized.constFind(token);
    if (found == m_finalized.cend())
        return std::nullopt;
    return m_finalized.take(token);
}

void DiskJobs::settleRecord(const QString& targetPath, const QString& finalPath)
{
    enqueue(targetPath, [targetPath, finalPath] {
        const QString recordPath = partRecordPathFor(targetPath);
        if (finalPathIn(recordPath) == finalPath) {
            QFile::remove(recordPath);
            QFile::remove(unsyncedNewPath(recordPath)); // left by a run killed while replacing it
        }
    });
}

quint64 DiskJobs::markPassing(const QString& targetPath)
{
    const quint64 token = m_nextToken++;
    enqueue(targetPath, [this, token] { emit passed(token); });
    return token;
}

void DiskJobs::waitForDone()
{
    m_pool.waitForDone();
}

} // namespace Qorvin
