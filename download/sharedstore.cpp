// SPDX-License-Identifier: MIT
#include "download/sharedstore.h"

#include "download/completedfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>

namespace Qorvin {

namespace {

// A writer holds the lock for a read and a write of a small file: a lock older than this was left
// by a program that ended without removing it.
constexpr int StaleLockMs = 10'000;
constexpr int LockWaitMs = 5'000;

} // namespace

Outcome saveSharedStore(const QString& filePath, const QueueStore& store)
{
    QDir().mkpath(QFileInfo(filePath).absolutePath());
    QLockFile lock(filePath + QStringLiteral(".lock"));
    lock.setStaleLockTime(StaleLockMs);
    if (!lock.tryLock(LockWaitMs))
        return Outcome::failure(QStringLiteral("下载列表 %1 正被另一个程序写入，本次未能保存")
                                    .arg(QDir::toNativeSeparators(filePath)));
    const StoreReading stored = inspectQueueStore(filePath);
    if (stored.state == StoreState::Newer)
        return Outcome::failure(stored.problem);
    CompletedFiles merged;
    merged.setList(stored.store.completed);
    merged.addAll(store.completed);
    QueueStore written = store;
    written.completed = merged.list();
    return writeQueueStore(filePath, written);
}

} // namespace Qorvin
