// SPDX-License-Identifier: MIT
#pragma once

#include <QtGlobal>

#include <atomic>

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

// The same counts as the service keeps them: a test or benchmark may read them from another
// thread than the server's.
class FileCounters
{
public:
    void addRequest() { ++m_fileRequests; }
    void addBodyBytes(qint64 bytes) { m_bodyBytesSent += bytes; }
    void startAnswer()
    {
        const int active = ++m_active;
        int peak = m_peak.load();
        while (active > peak && !m_peak.compare_exchange_weak(peak, active)) {
        }
    }
    void endAnswer() { --m_active; }

    FileStats snapshot() const
    {
        return {m_bodyBytesSent.load(), m_fileRequests.load(), m_active.load(), m_peak.load()};
    }
    // Starts the counts afresh; the answers still running stay counted as active.
    void reset()
    {
        m_bodyBytesSent = 0;
        m_fileRequests = 0;
        m_peak = m_active.load();
    }

private:
    std::atomic<qint64> m_bodyBytesSent = 0;
    std::atomic<qint64> m_fileRequests = 0;
    std::atomic<int> m_active = 0;
    std::atomic<int> m_peak = 0;
};

} // namespace Qorvin::LocalService
