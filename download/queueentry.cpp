// SPDX-License-Identifier: MIT
#include "download/queueentry.h"

#include <QtGlobal>

namespace Qorvin {

void QueueEntry::restartRate()
{
    m_rateBytes = item.bytesReceived;
    m_rateClock.start();
    m_smoothedRate = 0;
}

void QueueEntry::measureRate()
{
    const qint64 elapsed = m_rateClock.restart();
    if (elapsed > 0) {
        const double rate = double(item.bytesReceived - m_rateBytes) * 1000.0 / double(elapsed);
        m_smoothedRate = m_smoothedRate == 0 ? rate : 0.7 * m_smoothedRate + 0.3 * rate;
        item.bytesPerSecond = qMax<qint64>(0, qint64(m_smoothedRate));
    }
    m_rateBytes = item.bytesReceived;
}

QueueProgress progressOf(const std::vector<std::unique_ptr<QueueEntry>>& entries)
{
    QueueProgress progress;
    double finishedShare = 0;
    for (const auto& entry : entries) {
        const DownloadItem& item = entry->item;
        if (item.state == DownloadState::Cancelled)
            continue;
        ++progress.total;
        progress.bytesPerSecond += item.bytesPerSecond;
        if (item.state == DownloadState::Done) {
            ++progress.done;
            finishedShare += 1;
        } else if (item.state == DownloadState::Failed) {
            finishedShare += 1;
        } else if (item.bytesTotal > 0) {
            finishedShare += qBound(0.0, double(item.bytesReceived) / double(item.bytesTotal), 1.0);
        }
    }
    progress.percent = progress.total > 0 ? int(finishedShare * 100 / progress.total) : 0;
    return progress;
}

} // namespace Qorvin
