// SPDX-License-Identifier: MIT
#include "download/queuefolders.h"

#include "download/makefolder.h"

#include <QSet>

namespace Qorvin {

bool QueueFolders::hold(const QString& folder)
{
    if (m_locks.contains(folder))
        return true;
    // A folder that cannot be made is reported by the download itself, with the reason.
    makeFolderPath(folder);
    std::shared_ptr<FolderLock> lock = FolderLock::acquire(folder);
    if (!lock)
        return false;
    m_locks.insert(folder, std::move(lock));
    return true;
}

void QueueFolders::releaseIdle(const std::vector<std::unique_ptr<QueueEntry>>& entries)
{
    QSet<QString> busy;
    for (const auto& entry : entries) {
        const DownloadState state = entry->item.state;
        if (state == DownloadState::Waiting || state == DownloadState::Downloading)
            busy.insert(folderOf(entry->item));
    }
    for (auto lock = m_locks.begin(); lock != m_locks.end();)
        lock = busy.contains(lock.key()) ? std::next(lock) : m_locks.erase(lock);
}

} // namespace Qorvin
