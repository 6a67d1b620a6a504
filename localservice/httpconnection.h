// SPDX-License-Identifier: MIT
#pragma once

#include "localservice/httpreply.h"
#include "localservice/httprequest.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <deque>
#include <memory>

class QSocketNotifier;
class QTcpSocket;
struct http_parser;

namespace Qorvin::LocalService {

// Sizes past which a request is refused: every header field counts, and nothing past the limits
// is ever kept.
struct HttpLimits
{
    int maxHeaderFields = 100;
    qint64 maxHeaderFieldBytes = 100 * 1024; // one field, name and value
    qint64 maxHeadBytes = 256 * 1024;        // request line and every field
    qint64 maxBodyBytes = 1024 * 1024;       // read and thrown away: the service serves GET and HEAD
    int maxPipelined = 32;                   // requests read ahead of their answers
    int idleTimeoutMs = 60000;               // no request and nothing to send for this long: close
    int headTimeoutMs = 10000;               // a request line and fields begun must be whole in this time
    int bodyTimeoutMs = 30000;               // and a body announced must have come in this time
    int requestsPerTurn = 4;                 // answered before the other connections get their turn
};

// One client connection: reads requests (pipelined ones too) and writes their answers in the
// order the requests came, whenever each answer is ready. Refuses what breaks the limits with
// 400, 413, 414 or 431, then closes. HTTP/1.0 requests, "Connection: close" and upgrade requests
// get their answer and then the connection closes. Deletes itself once the socket is gone.
class HttpConnection : public QObject
{
    Q_OBJECT

public:
    HttpConnection(QTcpSocket* socket, const HttpLimits& limits, QObject* parent = nullptr);
    ~HttpConnection() override;

    // The answer to request number `sequence` (as given by requestReceived).
    void reply(quint64 sequence, HttpReply reply);

    // Nothing half read and nothing to answer: closing it loses no request.
    bool isIdle() const;
    // No answer owed: closing it loses at most a request still coming in (or stuck halfway).
    bool owesNoAnswer() const { return m_slots.empty() && !m_rawOutput; }
    qint64 idleMs() const { return m_lastActivity.elapsed(); }
    qint64 ageMs() const { return m_born.elapsed(); }
    void close();

signals:
    void requestReceived(quint64 sequence, const Qorvin::LocalService::HttpRequest& request);

private:
    // While this much is still queued for the socket, no further answer starts, no body goes on
    // and no request is read: a client that does not read holds at most this much (and the
    // answers of maxPipelined requests) in memory.
    static constexpr qint64 WriteHighWater = 256 * 1024;
    static QByteArray reasonPhrase(int status);

    struct Slot
    {
        quint64 sequence = 0;
        bool ready = false;
        bool closeAfter = false;
        HttpReply reply;
        // While a body goes out:
        bool started = false;
        qint64 bodySent = 0;
        QElapsedTimer rateClock;
    };

    static int onMessageBegin(http_parser* parser);
    static int onUrl(http_parser* parser, const char* at, size_t length);
    static int onHeaderField(http_parser* parser, const char* at, size_t length);
    static int onHeaderValue(http_parser* parser, const char* at, size_t length);
    static int onHeadersComplete(http_parser* parser);
    static int onBody(http_parser* parser, const char* at, size_t length);
    static int onMessageComplete(http_parser* parser);

    void readRequests();
    bool parseInput(); // true when a whole request was read
    void scheduleReading();
    void onRequestTimeout();
    void onSocketGone();
    void output(const QByteArray& bytes);
    qint64 queuedBytes() const;
    void onOutputWritten(qint64 bytes);
    void writeRaw();
    void keepDescriptor();
    void releaseDescriptor();
    void releaseDescriptorWhenDone(); // no answer owed and every byte of them written
    void refuse(int status);
    void pump();
    bool sendBody(Slot& slot);
    void writeHead(const Slot& slot);
    void finishFront();
    void linger();
    void touch();
    void onIdleTimeout();

    QTcpSocket* m_socket;
    HttpLimits m_limits;
    std::unique_ptr<http_parser> m_parser;
    QByteArray m_input;
    std::deque<Slot> m_slots;
    quint64 m_nextSequence = 0;

    // The request being read.
    HttpRequest m_request;
    bool m_inRequest = false;
    bool m_lastWasValue = false;
    qint64 m_fieldBytes = 0;
    qint64 m_bodyBytes = 0;
    int m_refusal = 0; // the status a limit asks for, set in a parser callback
    bool m_requestDone = false;
    bool m_closeAfterRequest = false;

    bool m_readingDone = false; // no more requests are read on this connection
    bool m_stalled = false;     // an answer stopped halfway on purpose: nothing more goes out
    bool m_closing = false;     // the connection closes once what is queued went out
    bool m_lingering = false;   // the end was sent; what the client still sends is thrown away
    bool m_readScheduled = false;
    QTimer m_idleTimer;
    QTimer m_rateTimer;
    QTimer m_requestTimer; // the head's or the body's deadline while a request comes in
    QElapsedTimer m_lastActivity;
    QElapsedTimer m_born;

    // What the socket has not sent yet, as handed to it: Qt drops its buffer when the client
    // half-closes, and the rest then goes out through a descriptor of this connection's own.
    std::deque<QByteArray> m_unsent;
    qint64 m_unsentFrontSent = 0;
    qint64 m_unsentBytes = 0;
    int m_spareDescriptor = -1;             // a duplicate held while answers are owed or unsent
    QSocketNotifier* m_rawOutput = nullptr; // set once Qt's socket is gone
};

} // namespace Qorvin::LocalService
