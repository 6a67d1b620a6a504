// SPDX-License-Identifier: MIT
// One request over a real socket to a server living in the same thread: the event loop keeps
// turning while the answer comes in, so both ends make progress.
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QList>
#include <QTcpSocket>

namespace Qorvin::LocalService::Test {

struct HttpAnswer
{
    QByteArray raw;
    bool closedByServer = false;

    int status() const
    {
        const QList<QByteArray> words = raw.left(raw.indexOf("\r\n")).split(' ');
        return words.size() >= 2 ? words[1].toInt() : 0;
    }
    QByteArray header(QByteArrayView name) const
    {
        const QByteArray head = raw.left(raw.indexOf("\r\n\r\n"));
        for (const QByteArray& line : head.split('\n')) {
            const qsizetype colon = line.indexOf(':');
            if (colon > 0 && line.left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
                return line.sliced(colon + 1).trimmed();
        }
        return {};
    }
    QByteArray body() const
    {
        const qsizetype end = raw.indexOf("\r\n\r\n");
        return end < 0 ? QByteArray() : raw.sliced(end + 4);
    }
    // The whole answer is in: the body is as long as Content-Length says.
    bool complete() const
    {
        const qsizetype end = raw.indexOf("\r\n\r\n");
        return end >= 0 && body().size() >= header("content-length").toLongLong();
    }
};

enum class CollectUntil
{
    Complete, // the answer is whole, or the server hangs up
    Closed,   // the server hangs up (several pipelined answers, maybe)
};

// Sends request bytes and collects what the server sends until the stop condition holds or waitMs
// pass.
inline HttpAnswer collectAnswer(quint16 port, const QByteArray& request, CollectUntil until, int waitMs)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    HttpAnswer answer;
    QDeadlineTimer deadline(waitMs);
    bool sent = false;
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (!sent && socket.state() == QAbstractSocket::ConnectedState) {
            socket.write(request);
            sent = true;
        }
        answer.raw += socket.readAll();
        if (sent && socket.state() == QAbstractSocket::UnconnectedState) {
            answer.closedByServer = true;
            break;
        }
        if (until == CollectUntil::Complete && answer.complete())
            break;
    }
    answer.raw += socket.readAll();
    return answer;
}

// One answer: collected until it is complete, the server hangs up, or waitMs pass.
inline HttpAnswer exchange(quint16 port, const QByteArray& request, int waitMs = 5000)
{
    return collectAnswer(port, request, CollectUntil::Complete, waitMs);
}

// Everything the server sends (several pipelined answers, maybe) until it hangs up or waitMs pass.
inline HttpAnswer exchangeUntilClosed(quint16 port, const QByteArray& request, int waitMs = 5000)
{
    return collectAnswer(port, request, CollectUntil::Closed, waitMs);
}

// The answers in a stream of them, each cut at the end its Content-Length gives.
inline QList<HttpAnswer> splitAnswers(QByteArray raw)
{
    QList<HttpAnswer> answers;
    while (!raw.isEmpty()) {
        HttpAnswer one{raw, false};
        const qsizetype headEnd = raw.indexOf("\r\n\r\n");
        if (headEnd < 0) {
            answers.append(one);
            break;
        }
        const qsizetype end = qMin(raw.size(), headEnd + 4 + one.header("content-length").toLongLong());
        one.raw = raw.first(end);
        answers.append(one);
        raw.remove(0, end);
    }
    return answers;
}

inline QByteArray getRequest(const QByteArray& target, const QByteArray& extraHeaders = {})
{
    return "GET " + target + " HTTP/1.1\r\nHost: mp3.baidu.com\r\n" + extraHeaders + "\r\n";
}

} // namespace Qorvin::LocalService::Test
