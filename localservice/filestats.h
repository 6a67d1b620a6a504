// SPDX-License-Identifier: MIT
#pragma once

#include <QtGlobal>

namespace Qorvin::LocalService {

// What the service did with MP3 files since it started or was last reset: downloads are measured
// by it (bytes fetched, how many requests ran at once).
struct FileStats
{
    qint64 bodyBytesSent = 0;   // file body bytes handed to the connections
    qint64 fileRequests = 0;    // requests for a song's address, whatever their answer
    int activeFileRequests = 0; // file answers not yet finished or abandoned
    int peakActiveFileRequests = 0;
};

} // namespace Qorvin::LocalService
