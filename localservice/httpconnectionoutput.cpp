// SPDX-License-Identifier: MIT
// The answering side of a connection: answers kept in the order their requests came, written as
// the socket takes them, bodies made piece by piece, and the linger after the last one.
#include "localservice/httpconnection.h"

#include <QSocketNotifier>
#include <QTcpSocket>

#include <cerrno>
#include <fcntl.h>
#include <http_parser.h>
#include <sys/socket.h>
#include <unistd.h>

namespace Qorvin::LocalService {

namespace {

constexpr qint64 BodyChunkBytes = 64 * 1024;
// After the last answer, what the client still sends is read and thrown away this long, so that
// an early close does not reset the connection before the client has read the answer.
constexpr int LingerMs = 2000;

} // namespace

void HttpConnection::output(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return;
    m_unsent.push_back(bytes);
    m_unsentBytes += bytes.size();
    if (m_rawOutput)
        m_rawOutput->setEnabled(true);
    else
        m_socket->write(bytes);
}

qint64 HttpConnection::queuedBytes() const
{
    return m_unsentBytes;
}

void HttpConnection::onOutputWritten(qint64 bytes)
{
    // Forget what went out.
    while (bytes > 0 && !m_unsent.empty()) {
        const qint64 left = m_unsent.front().size() - m_unsentFrontSent;
        const qint64 taken = qMin(left, bytes);
        bytes -= taken;
        m_unsentBytes -= taken;
        m_unsentFrontSent += taken;
        if (m_unsentFrontSent == m_unsent.front().size()) {
            m_unsent.pop_front();
            m_unsentFrontSent = 0;
        }
    }
    touch();
    if (m_closing && m_unsentBytes == 0) {
        linger();
        return;
    }
    releaseDescriptorWhenDone();
    pump();
    if (m_unsentBytes < WriteHighWater && !m_readingDone &&
        (!m_input.isEmpty() || m_socket->bytesAvailable() > 0))
        scheduleReading();
}

void HttpConnection::writeRaw()
{
    while (!m_unsent.empty()) {
        const QByteArray& front = m_unsent.front();
        const ssize_t sent = ::send(m_spareDescriptor, front.constData() + m_unsentFrontSent,
                                    size_t(front.size() - m_unsentFrontSent), MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                close(); // the client is gone altogether
            return;
        }
        onOutputWritten(sent);
        if (!m_rawOutput)
            return; // closed meanwhile
    }
    if (m_rawOutput)
        m_rawOutput->setEnabled(false);
}

void HttpConnection::reply(quint64 sequence, HttpReply answer)
{
    for (Slot& slot : m_slots) {
        if (slot.sequence == sequence && !slot.ready) {
            slot.reply = std::move(answer);
            slot.ready = true;
            break;
        }
    }
    pump();
}

void HttpConnection::writeHead(const Slot& slot)
{
    const HttpReply& reply = slot.reply;
    QByteArray head =
        "HTTP/1.1 " + QByteArray::number(reply.status) + ' ' + reasonPhrase(reply.status) + "\r\n";
    if (!reply.contentType.isEmpty())
        head += "Content-Type: " + reply.contentType + "\r\n";
    head += "Content-Length: " + QByteArray::number(reply.contentLength()) + "\r\n";
    for (const auto& header : reply.headers)
        head += header.first + ": " + header.second + "\r\n";
    if (slot.closeAfter)
        head += "Connection: close\r\n";
    head += "\r\n";
    output(head);
}

void HttpConnection::pump()
{
    while (!m_stalled && !m_closing && !m_slots.empty() && m_slots.front().ready) {
        Slot& slot = m_slots.front();
        if (!slot.started && queuedBytes() >= WriteHighWater)
            return; // bytesWritten comes back here
        if (!slot.started) {
            slot.started = true;
            if (slot.reply.onSent)
                slot.reply.onSent();
            if (slot.reply.fault == HttpReply::Reset) {
                m_stalled = true;
                close(); // the server hangs up without a word
                return;
            }
            writeHead(slot);
            if (slot.reply.fault == HttpReply::Stall) {
                // Headers promise the whole body; half of it comes, the rest never does.
                output(slot.reply.body.first(slot.reply.body.size() / 2));
                m_stalled = true;
                return;
            }
            if (!slot.reply.headOnly && !slot.reply.stream)
                output(slot.reply.body);
            slot.rateClock.start();
        }
        if (slot.reply.stream && !slot.reply.headOnly && !sendBody(slot))
            return;
        finishFront();
    }
}

bool HttpConnection::sendBody(Slot& slot)
{
    HttpReply& reply = slot.reply;
    const qint64 size = reply.stream->size();
    while (slot.bodySent < size) {
        if (queuedBytes() >= WriteHighWater)
            return false; // bytesWritten comes back here
        qint64 chunk = qMin(BodyChunkBytes, size - slot.bodySent);
        if (reply.dropAfterBytes >= 0 && slot.bodySent >= reply.dropAfterBytes) {
            // The connection ends in the middle of the body, after what did go out.
            slot.reply.stream.reset();
            slot.reply.heldUntilDone.reset();
            m_stalled = true;
            m_closing = true;
            if (queuedBytes() == 0)
                linger();
            return false;
        }
        if (reply.dropAfterBytes >= 0)
            chunk = qMin(chunk, reply.dropAfterBytes - slot.bodySent);
        if (reply.bytesPerSecond > 0) {
            // A small head start, then no more than the rate allows since the body began.
            const qint64 allowed = qint64(reply.bytesPerSecond) * (slot.rateClock.elapsed() + 50) / 1000;
            const qint64 budget = allowed - slot.bodySent;
            if (budget <= 0) {
                const qint64 waitMs = (1 - budget) * 1000 / reply.bytesPerSecond + 1;
                m_rateTimer.start(int(qBound(qint64(5), waitMs, qint64(1000))));
                return false;
            }
            chunk = qMin(chunk, budget);
        }
        const QByteArray bytes = reply.stream->next(chunk);
        if (bytes.isEmpty()) {
            m_stalled = true;
            close(); // the body cannot be made: the client must not take a short file
            return false;
        }
        output(bytes);
        slot.bodySent += bytes.size();
    }
    return true;
}

void HttpConnection::finishFront()
{
    const bool closeAfter = m_slots.front().closeAfter;
    m_slots.pop_front();
    releaseDescriptorWhenDone();
    if (closeAfter) {
        m_closing = true;
        if (queuedBytes() == 0)
            linger();
        return;
    }
    // Reading may have stopped while too many answers were owed.
    if (!m_readingDone && (!m_input.isEmpty() || m_socket->bytesAvailable() > 0))
        scheduleReading();
}

void HttpConnection::releaseDescriptorWhenDone()
{
    // Until the last answer has left Qt's buffer, a client that half-closes would lose the rest.
    if (m_slots.empty() && !m_rawOutput && m_unsentBytes == 0)
        releaseDescriptor();
}

void HttpConnection::linger()
{
    if (m_lingering)
        return;
    m_lingering = true;
    m_rateTimer.stop();
    if (m_rawOutput) {
        // The client sends nothing more: the end goes out and the connection is done.
        ::shutdown(m_spareDescriptor, SHUT_WR);
        close();
        return;
    }
    if (m_socket->state() != QAbstractSocket::ConnectedState)
        return;
    // Send the end of the stream after the answer, keep reading what still comes, then close.
    ::shutdown(int(m_socket->socketDescriptor()), SHUT_WR);
    m_socket->readAll();
    QTimer::singleShot(LingerMs, this, &HttpConnection::close);
}

} // namespace Qorvin::LocalService
