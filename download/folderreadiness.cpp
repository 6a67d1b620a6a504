// SPDX-License-Identifier: MIT
#include "download/folderreadiness.h"

#include "base/fileerrortext.h"
#include "download/makefolder.h"

#include <QDir>
#include <QFile>

#include <cerrno>

#include <unistd.h>

namespace Qorvin {

QString folderReasonText(int error)
{
    // makeFolderPath meets a file where a folder of the path should be.
    if (error == ENOTDIR || error == EEXIST)
        return QStringLiteral("这个路径是一个文件");
    return writeReasonText(error);
}

QString folderProblem(const QString& folder)
{
    int error = makeFolderPath(folder);
    // access() answers for this user and also says EROFS on a read-only file system.
    if (error == 0 && ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) != 0)
        error = errno;
    if (error == 0)
        return {};
    return QStringLiteral("无法把歌曲下载到文件夹 %1：%2")
        .arg(QDir::toNativeSeparators(folder), folderReasonText(error));
}

} // namespace Qorvin
