// SPDX-License-Identifier: MIT
// The values the download queue hands out: one song's download and the progress of a batch.
#pragma once

#include "base/outcome.h"

#include <QString>
#include <QUrl>

namespace Qorvin {

enum class DownloadState
{
    Waiting,
    Downloading,
    Paused,
    Done,
    Failed,
    Cancelled,
};

// 等待, 下载中, 已暂停, 已完成, 失败, 已取消.
QString downloadStateName(DownloadState state);

// Done, Failed and Cancelled: nothing more happens to the item unless the user asks for it.
bool isFinishedState(DownloadState state);

struct DownloadItem
{
    int id = 0;
    int batchId = 0;
    QString title;      // plain text
    QUrl url;           // the address the song is fetched from
    QString targetPath; // the final file; the bytes go to targetPath + ".part" until complete
    DownloadState state = DownloadState::Waiting;
    QString failureReason; // in Chinese, set when state is Failed
    QString notice;        // in Chinese: what went wrong in a song that is Done all the same
    int number = 0;        // the song's row in its result page, from 1; 0 when it has none
    bool existed = false;  // Done because its file was complete in the folder already
    qint64 bytesReceived = 0;
    qint64 bytesTotal = -1; // -1 while the size is unknown
    qint64 bytesPerSecond = 0;
};

// What a batch left behind once every item in it is done, failed or cancelled.
struct BatchResult
{
    int batchId = 0;
    QString folder;
    QString keyword;
    QString playlistPath;  // empty when no playlist was written
    QString playlistError; // set when writing the playlist failed
    int done = 0;
    int failed = 0;
    int cancelled = 0;
};

// The queue's progress over the items it holds (cancelled ones left out).
struct QueueProgress
{
    int done = 0;
    int total = 0;
    int percent = 0; // 0..100, whole items and the received part of the running ones
    qint64 bytesPerSecond = 0;

    // "下载 12/30 · 45%"
    QString text() const;
};

} // namespace Qorvin
