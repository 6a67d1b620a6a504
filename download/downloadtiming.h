// SPDX-License-Identifier: MIT
#pragma once

#include <QList>

namespace Qorvin {

// The queue's waits, in one place so tests can shorten them.
struct DownloadTiming
{
    int stallTimeoutMs = 30'000;                // no data for this long fails the attempt
    QList<int> retryDelaysMs{1000, 2000, 4000}; // one wait per retry of a transient failure
    double retryJitter = 0.25;                  // each wait varies by up to this fraction
    int maxRetryAfterMs = 120'000;              // a server's Retry-After is honoured up to this
    int progressIntervalMs = 250;               // progress is reported at most this often per item
    int saveDelayMs = 1000;                     // changes are stored this long after the first one
};

} // namespace Qorvin
