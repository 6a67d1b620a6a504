// SPDX-License-Identifier: MIT
// The folders a download queue writes into now, each held against other programs' queues for as
// long as the queue has songs waiting or downloading there.
#pragma once

#include "download/folderlock.h"
#include "download/queueentry.h"

#include <QHash>
#include <QString>

#include <memory>
#include <vector>

namespace Qorvin {

class QueueFolders
{
public:
    // True when the queue holds folder, now or from before; false while another program does.
    bool hold(const QString& folder);
    // Lets go of the folders where none of the entries is waiting or downloading.
    void releaseIdle(const std::vector<std::unique_ptr<QueueEntry>>& entries);

private:
    QHash<QString, std::shared_ptr<FolderLock>> m_locks;
};

} // namespace Qorvin
