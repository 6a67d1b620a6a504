// SPDX-License-Identifier: MIT
// One item of the download queue as the queue keeps it: the item, its running transfer and the
// measure of its rate.
#pragma once

#include "download/downloaditem.h"

#include <QElapsedTimer>

#include <memory>
#include <vector>

namespace Qorvin {

class DownloadTransfer;

struct QueueEntry
{
    DownloadItem item;
    DownloadTransfer* transfer = nullptr;

    // Starts measuring the rate afresh from the bytes received so far.
    void restartRate();
    // Takes the bytes received since the last tick into the rate, smoothed so that the figure
    // does not jump from one tick to the next.
    void measureRate();

private:
    qint64 m_rateBytes = 0;
    QElapsedTimer m_rateClock;
    double m_smoothedRate = 0;
};

// The folder of the item's file: its target path is absolute and clean.
inline QString folderOf(const DownloadItem& item)
{
    return item.targetPath.left(item.targetPath.lastIndexOf(u'/'));
}

// The progress over the entries, cancelled ones left out.
QueueProgress progressOf(const std::vector<std::unique_ptr<QueueEntry>>& entries);

} // namespace Qorvin
