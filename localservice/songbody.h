// SPDX-License-Identifier: MIT
#pragma once

#include "localservice/filestats.h"
#include "localservice/httpreply.h"
#include "localservice/songaudio.h"

#include <memory>

namespace Qorvin::LocalService {

// Bytes first..last of a song's file, made as they go out and counted as sent.
class SongBody : public BodySource
{
public:
    SongBody(SongFile file, qint64 first, qint64 last, std::shared_ptr<FileCounters> stats);

    qint64 size() const override { return m_last - m_first + 1; }
    QByteArray next(qint64 maxBytes) override;

private:
    SongFile m_file;
    qint64 m_first;
    qint64 m_last;
    qint64 m_next;
    std::shared_ptr<FileCounters> m_stats;
};

// While it lives, one file request counts as active.
class ActiveFileRequest
{
public:
    explicit ActiveFileRequest(std::shared_ptr<FileCounters> stats);
    ~ActiveFileRequest();
    ActiveFileRequest(const ActiveFileRequest&) = delete;
    ActiveFileRequest& operator=(const ActiveFileRequest&) = delete;

private:
    std::shared_ptr<FileCounters> m_stats;
};

} // namespace Qorvin::LocalService
