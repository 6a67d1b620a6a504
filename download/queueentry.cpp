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

} // namespace Qorvin
