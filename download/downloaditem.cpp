// SPDX-License-Identifier: MIT
#include "download/downloaditem.h"

namespace Qorvin {

QString downloadStateName(DownloadState state)
{
    switch (state) {
    case DownloadState::Waiting:
        return QStringLiteral("等待");
    case DownloadState::Downloading:
        return QStringLiteral("下载中");
    case DownloadState::Paused:
        return QStringLiteral("已暂停");
    case DownloadState::Done:
        return QStringLiteral("已完成");
    case DownloadState::Failed:
        return QStringLiteral("失败");
    case DownloadState::Cancelled:
        return QStringLiteral("已取消");
    }
    return {};
}

bool isFinishedState(DownloadState state)
{
    return state == DownloadState::Done || state == DownloadState::Failed ||
           state == DownloadState::Cancelled;
}

QString QueueProgress::text() const
{
    return QStringLiteral("下载 %1/%2 · %3%").arg(done).arg(total).arg(percent);
}

} // namespace Qorvin
