// SPDX-License-Identifier: MIT
#include "base/fileerrortext.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>

namespace Qorvin {

using namespace Qt::StringLiterals;

namespace {

enum class Access
{
    Reading,
    Writing
};

QString systemReason(int systemError, Access access)
{
    const bool writing = access == Access::Writing;
    switch (systemError) {
    case EACCES:
    case EPERM:
        return writing ? u"没有写入权限"_s : u"没有读取权限"_s;
    case ENOENT:
    case ENOTDIR:
        return writing ? u"文件夹不存在"_s : u"文件不存在"_s;
    case EISDIR:
        return u"这是一个文件夹，不是文件"_s;
    case EROFS:
        return u"磁盘只能读不能写"_s;
    case ENOSPC:
    case EDQUOT:
        return u"磁盘已满"_s;
    case EFBIG:
        return u"文件超过系统允许的大小"_s;
    case ENAMETOOLONG:
        return u"路径太长"_s;
    case EIO:
        return writing ? u"磁盘写入出错"_s : u"磁盘读取出错"_s;
    case EMFILE:
    case ENFILE:
        return u"同时打开的文件太多"_s;
    default:
        return (writing ? u"无法写入文件（"_s : u"无法读取文件（"_s) + qt_error_string(systemError) + u"）"_s;
    }
}

QString writeReasonFor(const QString& filePath, int systemError)
{
    const QFileInfo file(filePath);
    if (!file.absoluteDir().exists())
        return u"文件夹不存在"_s;
    if (file.isDir())
        return u"已有同名的文件夹"_s;
    return systemReason(systemError, Access::Writing);
}

} // namespace

QString writeReasonText(int systemError)
{
    return systemReason(systemError, Access::Writing);
}

QString fileErrorText(const QString& filePath, int systemError)
{
    return writeReasonFor(filePath, systemError) + u"："_s + QDir::toNativeSeparators(filePath);
}

QString fileReadErrorText(const QString& filePath, int systemError)
{
    return systemReason(systemError, Access::Reading) + u"："_s + QDir::toNativeSeparators(filePath);
}

} // namespace Qorvin
