// SPDX-License-Identifier: MIT
// How sizes, rates and states of downloads read in the window.
#pragma once

#include "download/downloaditem.h"

#include <QString>

namespace Qorvin {

// "3.2 MB"; "" while the size is unknown (negative).
QString sizeText(qint64 bytes);
// "120.5 kB/s"; "" when nothing is moving.
QString rateText(qint64 bytesPerSecond);
// 0..100 for the progress bar: whole when done, else the received share of a known size.
int progressPercent(const DownloadItem& item);
// The state's name, and for a failure its reason: "失败：不是MP3文件"; "已存在" for a song whose
// file was complete in the folder already.
QString stateText(const DownloadItem& item);
// The state text with what went wrong in a song done all the same: "已完成：未写入歌曲信息: …".
QString stateToolTip(const DownloadItem& item);

} // namespace Qorvin
