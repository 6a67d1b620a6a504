// SPDX-License-Identifier: MIT
// Why a file could not be written or read, in the program's language, with the path it concerns.
#pragma once

#include <QString>

namespace Qorvin {

// The reason writing filePath failed, e.g. "没有写入权限：/home/u/result.htm". The folder and the
// path itself are looked at first (a missing folder, a folder in the file's place); otherwise
// systemError (the errno of the failed call) names the reason.
QString fileErrorText(const QString& filePath, int systemError);

// The reason alone, for writing into a place that is not a single file (a folder): "磁盘已满".
QString writeReasonText(int systemError);

// The reason reading filePath failed, e.g. "没有读取权限：/home/u/queue.json".
QString fileReadErrorText(const QString& filePath, int systemError);

} // namespace Qorvin
