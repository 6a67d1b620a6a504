// SPDX-License-Identifier: MIT
#include "localservice/songbody.h"

namespace Qorvin::LocalService {

SongBody::SongBody(SongFile file, qint64 first, qint64 last, std::shared_ptr<FileCounters> stats)
    : m_file(std::move(file)), m_first(first), m_last(last), m_next(first), m_stats(std::move(stats))
{
}

QByteArray SongBody::next(qint64 maxBytes)
{
    const QByteArray bytes = m_file.read(m_next, qMin(maxBytes, m_last + 1 - m_next));
    m_next += bytes.size();
    m_stats->addBodyBytes(bytes.size());
    return bytes;
}

ActiveFileRequest::ActiveFileRequest(std::shared_ptr<FileCounters> stats) : m_stats(std::move(stats))
{
    m_stats->startAnswer();
}

ActiveFileRequest::~ActiveFileRequest()
{
    m_stats->endAnswer();
}

} // namespace Qorvin::LocalService
