// SPDX-License-Identifier: MIT
#include "app/downloads/transfertext.h"

#include <QLocale>

#include <algorithm>

namespace Qorvin {

namespace {

// Units of 1024 (kB, MB), as most download tools count them.
QString dataSize(qint64 bytes)
{
    static const QLocale chinese(QLocale::Chinese, QLocale::China);
    return chinese.formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

} // namespace

QString sizeText(qint64 bytes)
{
    return bytes < 0 ? QString() : dataSize(bytes);
}

QString rateText(qint64 bytesPerSecond)
{
    return bytesPerSecond <= 0 ? QString() : dataSize(bytesPerSecond) + QStringLiteral("/s");
}

int progressPercent(const DownloadItem& item)
{
    if (item.state == DownloadState::Done)
        return 100;
    if (item.bytesTotal <= 0 || item.bytesReceived <= 0)
        return 0;
    return int(std::clamp(item.bytesReceived * 100 / item.bytesTotal, qint64(0), qint64(100)));
}

QString stateText(const DownloadItem& item)
{
    if (item.state == DownloadState::Done && item.existed)
        return QStringLiteral("已存在");
    const QString name = downloadStateName(item.state);
    if (item.state == DownloadState::Failed && !item.failureReason.isEmpty())
        return name + QStringLiteral("：") + item.failureReason;
    return name;
}

QString stateToolTip(const DownloadItem& item)
{
    if (item.state == DownloadState::Done && !item.notice.isEmpty())
        return stateText(item) + QStringLiteral("：") + item.notice;
    return stateText(item);
}

} // namespace Qorvin
