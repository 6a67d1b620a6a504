// SPDX-License-Identifier: MIT
#include "download/diskerror.h"

#include "base/fileerrortext.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>

namespace Qorvin {

QString diskErrorReason(const QString& folder, const QString& path, int errorNumber)
{
    const QFileInfo folderInfo(folder);
    const QString nativeFolder = QDir::toNativeSeparators(folder);
    if ((folderInfo.exists() && !folderInfo.isDir()) || errorNumber == ENOTDIR)
        return QStringLiteral("下载文件夹的路径是一个文件：%1").arg(nativeFolder);
    if (!folderInfo.exists() || errorNumber == ENOENT)
        return QStringLiteral("下载文件夹已不存在：%1").arg(nativeFolder);
    return fileErrorText(path, errorNumber);
}

} // namespace Qorvin
