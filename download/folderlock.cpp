// SPDX-License-Identifier: MIT
#include "download/folderlock.h"

#include <QDir>
#include <QFile>
#include <QHash>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace Qorvin {

namespace {

// The holders in this process by folder: a lock taken twice by one process through two handles
// would shut the process out of its own folder.
QHash<QString, std::weak_ptr<FolderLock>>& heldFolders()
{
    static QHash<QString, std::weak_ptr<FolderLock>> held;
    return held;
}

QString folderKey(const QString& folder)
{
    return QDir::cleanPath(QDir(folder).absolutePath());
}

} // namespace

FolderLock::FolderLock(QString folder, int handle) : m_folder(std::move(folder)), m_handle(handle) {}

FolderLock::~FolderLock()
{
    heldFolders().remove(m_folder);
    if (m_handle >= 0)
        ::close(m_handle); // ends the lock
}

std::shared_ptr<FolderLock> FolderLock::acquire(const QString& folder)
{
    const QString key = folderKey(folder);
    if (std::shared_ptr<FolderLock> held = heldFolders().value(key).lock())
        return held;
    // The folder itself is locked, not a file in it: nothing is left behind in the user's folder.
    int handle = ::open(QFile::encodeName(key).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle >= 0 && ::flock(handle, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(handle);
        if (error == EWOULDBLOCK)
            return nullptr;
        handle = -1;
    }
    std::shared_ptr<FolderLock> lock(new FolderLock(key, handle));
    heldFolders().insert(key, lock);
    return lock;
}

QString folderInUseText(const QString& folder)
{
    return QStringLiteral("另一个下载正在使用文件夹 %1，请等它结束后再试")
        .arg(QDir::toNativeSeparators(folder));
}

} // namespace Qorvin
