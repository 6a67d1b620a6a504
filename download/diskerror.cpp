// SPDX-License-Identifier: MIT
#include "download/diskerror.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>

namespace Qorvin {

QString diskErrorReason(const QString& folder, const QString& path, int errorNumber, const QString& detail)
{
    const QFileInfo folderInfo(folder);
    const QString nativeFolder = QDir::toNativeSeparators(folder);
    if (folderInfo.exists() && !folderInfo.isDir())
        return QStringLiteral("下载文件夹的路径是一个文件：%1").arg(nativeFolder);
    if (!folderInfo.exists() || errorNumber == ENOENT)
        return QStringLiteral("下载文件夹已不存在：%1").arg(nativeFolder);
    if (errorNumber == ENOTDIR)
        return QStringLiteral("下载文件夹的路径是一个文件：%1").arg(nativeFolder);
    if (errorNumber == ENOSPC || errorNumber == EDQUOT)
        return QStringLiteral("磁盘空间不足，无法写入 %1").arg(QDir::toNativeSeparators(path));
    if (errorNumber == EACCES || errorNumber == EPERM || errorNumber == EROFS)
        return QStringLiteral("没有写入权限：%1").arg(nativeFolder);
    return QStringLiteral("无法写入文件 %1：%2").arg(QDir::toNativeSeparators(path), detail);
}

} // namespace Qorvin
