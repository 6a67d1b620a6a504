// SPDX-License-Identifier: MIT
#include "diskjobs.h"

#include "diskerror.h"
#include "writeback.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

namespace Qorvin {

namespace {

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

TransferOutcome finalizePart(const QString& targetPath, qint64 size)
{
    const QString folder = QFileInfo(targetPath).absolutePath();
    const QString partPath = partPathFor(targetPath);
    int errorNumber = 0;
    if (!syncFile(partPath, &errorNumber))
        return {false, diskErrorReason(folder, partPath, errorNumber, QString()), {}, size};
    // QFile::rename never replaces an existing file, so a name taken meanwhile gets a number.
    QString finalPath = targetPath;
    const QFileInfo target(targetPath);
    for (int copy = 2; QFileInfo::exists(finalPath) && copy < 1000; ++copy)
        finalPath = target.dir().filePath(target.completeBaseName() + QStringLiteral(" (%1).").arg(copy) +
                                          target.suffix());
    QFile part(partPath);
    if (!part.rename(finalPath)) {
        errorNumber = errno;
        return {false, diskErrorReason(folder, finalPath, errorNumber, part.errorString()), {}, size};
    }
    QFile::remove(partRecordPathFor(targetPath));
    return {true, {}, finalPath, size};
}

} // namespace

DiskJobs::DiskJobs(QObject* parent) : QObject(parent)
{
    // One thread keeps the jobs in order: a record is never written after its part was removed.
    m_pool.setMaxThreadCount(1);
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
    m_pool.start([this, targetPath, record, job] {
        if (record)
            writePartRecord(partRecordPathFor(targetPath), *record);
        else
            Qorvin::removePartFiles(targetPath);
        jobDone(targetPath, job);
    });
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

quint64 DiskJobs::finalize(const QString& targetPath, qint64 size)
{
    const quint64 token = m_nextToken++;
    m_pool.start([this, token, targetPath, size] { emit finalized(token, finalizePart(targetPath, size)); });
    return token;
}

void DiskJobs::waitForDone()
{
    m_pool.waitForDone();
}

} // namespace Qorvin
