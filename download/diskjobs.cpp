// SPDX-License-Identifier: MIT
#include "download/diskjobs.h"

#include "download/diskerror.h"
#include "download/songfilename.h"
#include "download/taggedfile.h"
#include "download/writeback.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>

#include <cerrno>

namespace Qorvin {

namespace {

// Past this many copies of one name the rename gives up with the reason.
constexpr int MaxCopyNumber = 1000;

// Flushes the file's bytes to the disk, so a power cut after the rename cannot leave a final name
// on missing data.
bool syncFile(const QString& path, int* errorNumber)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)) {
        *errorNumber = errno;
        return false;
    }
    *errorNumber = syncFileData(file.handle());
    return *errorNumber == 0;
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
    int errorNumber = 0;
    if (source == partPath && !syncFile(partPath, &errorNumber))
        return {false, diskErrorReason(folder, partPath, errorNumber), {}, size};
    size = QFileInfo(source).size();
    // The folder is not synced after the rename: a crash may leave the synced file under its part
    // name, with its record, and the next start finds it complete (the server answers 416); or a
    // tagged one under its tagging name, and the next start fetches the song again.
    // QFile::rename refuses a name that is taken, but between its look and the rename it falls back
    // to copying over whatever took the name meanwhile. The songs of this queue therefore take
    // their final names one at a time; only the syncs above run side by side.
    static QMutex renameMutex;
    const QMutexLocker renaming(&renameMutex);
    const QFileInfo target(targetPath);
    QFile complete(source);
    for (int copy = 1;; ++copy) {
        const QString finalPath = target.dir().filePath(numberedFileName(target.fileName(), copy));
        const bool lastTry = copy >= MaxCopyNumber;
        if (QFileInfo::exists(finalPath) && !lastTry)
            continue;
        if (complete.rename(finalPath)) {
            QFile::remove(partRecordPathFor(targetPath));
            if (source != partPath)
                QFile::remove(partPath);
            return {true, {}, finalPath, size, tagProblem};
        }
        errorNumber = errno;
        if (!QFileInfo::exists(finalPath) || lastTry) {
            if (source != partPath)
                QFile::remove(source);
            return {false, diskErrorReason(folder, finalPath, errorNumber), {}, size, {}};
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
        if (record)
            writePartRecord(partRecordPathFor(targetPath), *record);
        else
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
        emit finalized(token, finalizePart(targetPath, size, tags));
    });
    return token;
}

void DiskJobs::waitForDone()
{
    m_pool.waitForDone();
}

} // namespace Qorvin
