// SPDX-License-Identifier: MIT
#include "songbody.h"

namespace Qorvin::LocalService {

SongBody::SongBody(SongFile file, qint64 first, qint64 last, std::shared_ptr<FileStats> stats)
    : m_file(std::move(file)), m_first(first), m_last(last), m_next(first), m_stats(std::move(stats))
{
}

QByteArray SongBody::next(qint64 maxBytes)
{
    const QByteArray bytes = m_file.read(m_next, qMin(maxBytes, m_last + 1 - m_next));
    m_next += bytes.size();
    m_stats->bodyBytesSent += bytes.size();
    return bytes;
}

ActiveFileRequest::ActiveFileRequest(std::shared_ptr<FileStats> stats) : m_stats(std::move(stats))
{
    ++m_stats->activeFileRequests;
    m_stats->peakActiveFileRequests = qMax(m_stats->peakActiveFileRequests, m_stats->activeFileRequests);
}

ActiveFileRequest::~ActiveFileRequest()
{
    --m_stats->activeFileRequests;
}

} // namespace Qorvin::LocalService
