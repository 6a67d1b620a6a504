// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>

#include <functional>
#include <memory>

namespace Qorvin::LocalService {

// A body made piece by piece while it goes out, so that a large file is never held whole.
class BodySource
{
public:
    virtual ~BodySource() = default;
    virtual qint64 size() const = 0;
    // The next at most maxBytes bytes; called until size() bytes came out.
    virtual QByteArray next(qint64 maxBytes) = 0;
};

// One answer and how it goes out.
struct HttpReply
{
    enum Fault
    {
        None,
        Reset, // the connection is reset instead of answered
        Stall, // the headers and half the body go out, then nothing more
    };

    int status = 200;
    QByteArray contentType;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;                    // used when there is no stream
    std::shared_ptr<BodySource> stream; // a body made while it goes out
    bool headOnly = false;
    Fault fault = None;
    qint64 dropAfterBytes = -1;                // close the connection once this many body bytes went out
    qint64 bytesPerSecond = 0;                 // 0: as fast as the client reads
    std::function<void()> onSent;              // called when the answer is handed over (or reset, or stalled)
    std::shared_ptr<const void> heldUntilDone; // released once the answer is out or abandoned

    qint64 contentLength() const { return stream ? stream->size() : body.size(); }
};

} // namespace Qorvin::LocalService
