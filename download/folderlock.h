// SPDX-License-Identifier: MIT
// One download queue at a time writes into a folder, whichever program it runs in: two of them
// (the window and the command line, or two command lines) would otherwise fetch the same songs
// side by side and save copies of each other's files.
#pragma once

#include <QString>

#include <memory>

namespace Qorvin {

class FolderLock
{
public:
    // The lock on the existing folder, shared with its other holders in this process; null while
    // another program holds it. The lock lasts while a holder keeps it, or until the process
    // ends, whatever way it ends. Where the folder cannot be locked it counts as free.
    static std::shared_ptr<FolderLock> acquire(const QString& folder);

    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    FolderLock(QString folder, int handle);

    QString m_folder;
    int m_handle;
};

// The one line that says a folder is in use: "另一个下载正在使用文件夹 …".
QString folderInUseText(const QString& folder);

} // namespace Qorvin
