// SPDX-License-Identifier: MIT
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

constexpr qint64 ReadChunkBytes = 64 * 1024;

http_parser_settings parserSettings(int (*begin)(http_parser*), http_data_cb url, http_data_cb field,
                                    http_data_cb value, http_cb headers, http_data_cb body, http_cb complete)
{
    http_parser_settings settings;
    http_parser_settings_init(&settings);
    settings.on_message_begin = begin;
    settings.on_url = url;
    settings.on_header_field = field;
    settings.on_header_value = value;
    settings.on_headers_complete = headers;
    settings.on_body = body;
    settings.on_message_complete = complete;
    return settings;
}

HttpConnection* connectionOf(http_parser* parser)
{
    return static_cast<HttpConnection*>(parser->data);
}

} // namespace

QByteArray HttpConnection::reasonPhrase(int status)
{
    return http_status_str(static_cast<http_status>(status));
}

HttpConnection::HttpConnection(QTcpSocket* socket, const HttpLimits& limits, QObject* parent)
    : QObject(parent), m_socket(socket), m_limits(limits), m_parser(std::make_unique<http_parser>())
{
    m_socket->setParent(this);
    m_socket->setReadBufferSize(ReadChunkBytes);
    // The head and the body go out as two writes; without this the body would wait for the
    // client's delayed acknowledgement of the head, some 40 ms on every kept-alive request.
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    http_parser_init(m_parser.get(), HTTP_REQUEST);
    m_parser->data = this;
    // The parser's own limit counts the request line and every field together.
    http_parser_set_max_header_size(uint32_t(m_limits.maxHeadBytes));

    m_idleTimer.setSingleShot(true);
    m_rateTimer.setSingleShot(true);
    m_requestTimer.setSingleShot(true);
    connect(&m_idleTimer, &QTimer::timeout, this, &HttpConnection::onIdleTimeout);
    connect(&m_rateTimer, &QTimer::timeout, this, &HttpConnection::pump);
    connect(&m_requestTimer, &QTimer::timeout, this, &HttpConnection::onRequestTimeout);
    connect(m_socket, &QTcpSocket::readyRead, this, [this] {
        if (m_lingering || m_readingDone)
            m_socket->readAll(); // nothing more is answered on this connection
        else
            readRequests();
    });
    connect(m_socket, &QTcpSocket::bytesWritten, this, &HttpConnection::onOutputWritten);
    connect(m_socket, &QTcpSocket::disconnected, this, &HttpConnection::onSocketGone);
    m_born.start();
    touch();
    // Bytes may have come before the signals were connected.
    QMetaObject::invokeMethod(this, &HttpConnection::readRequests, Qt::QueuedConnection);
}

HttpConnection::~HttpConnection()
{
    releaseDescriptor();
}

bool HttpConnection::isIdle() const
{
    return m_slots.empty() && !m_inRequest && !m_rawOutput;
}

void HttpConnection::close()
{
    m_stalled = true; // nothing more goes out
    m_idleTimer.stop();
    m_rateTimer.stop();
    m_requestTimer.stop();
    if (m_rawOutput) {
        // This may run inside the notifier's own signal: it goes once that is over.
        m_rawOutput->setEnabled(false);
        m_rawOutput->deleteLater();
        m_rawOutput = nullptr;
    }
    releaseDescriptor();
    m_socket->abort();
    deleteLater(); // a socket already closed on the other side emits no more signals
}

void HttpConnection::keepDescriptor()
{
    if (m_spareDescriptor < 0 && m_socket->socketDescriptor() >= 0)
        m_spareDescriptor = ::fcntl(int(m_socket->socketDescriptor()), F_DUPFD_CLOEXEC, 0);
}

void HttpConnection::releaseDescriptor()
{
    if (m_spareDescriptor >= 0)
        ::close(m_spareDescriptor);
    m_spareDescriptor = -1;
}

void HttpConnection::onSocketGone()
{
    m_requestTimer.stop();
    // The client only shut its sending side: Qt cannot tell that from a close and dropped what it
    // had not sent. The answers owed go out through the duplicate descriptor, then the connection
    // ends.
    const bool halfClosed = m_spareDescriptor >= 0 && !m_stalled && !m_lingering &&
                            (!m_slots.empty() || m_unsentBytes > 0) &&
                            m_socket->error() == QAbstractSocket::RemoteHostClosedError;
    if (!halfClosed) {
        m_idleTimer.stop();
        m_rateTimer.stop();
        deleteLater();
        return;
    }
    m_readingDone = true;
    m_input.clear();
    ::fcntl(m_spareDescriptor, F_SETFL, ::fcntl(m_spareDescriptor, F_GETFL) | O_NONBLOCK);
    m_rawOutput = new QSocketNotifier(m_spareDescriptor, QSocketNotifier::Write, this);
    connect(m_rawOutput, &QSocketNotifier::activated, this, &HttpConnection::writeRaw);
    if (!m_slots.empty())
        m_slots.back().closeAfter = true; // nothing more can be asked for
    else
        m_closing = true;
}

void HttpConnection::touch()
{
    m_lastActivity.start();
    if (m_limits.idleTimeoutMs > 0)
        m_idleTimer.start(m_limits.idleTimeoutMs);
}

void HttpConnection::onRequestTimeout()
{
    // A request that trickles in, or a body that never comes, holds the connection no longer.
    if (m_inRequest && !m_readingDone)
        refuse(408);
}

void HttpConnection::onIdleTimeout()
{
    // An answer held back or left unfinished on purpose is no idle connection: the client waits.
    // A half-closed client that reads nothing of what is owed to it is let go, though.
    if (isIdle() || m_lingering || (m_rawOutput && queuedBytes() > 0))
        close();
    else
        touch();
}

int HttpConnection::onMessageBegin(http_parser* parser)
{
    HttpConnection* self = connectionOf(parser);
    self->m_request = HttpRequest();
    self->m_inRequest = true;
    if (self->m_limits.headTimeoutMs > 0)
        self->m_requestTimer.start(self->m_limits.headTimeoutMs);
    self->m_lastWasValue = false;
    self->m_fieldBytes = 0;
    self->m_bodyBytes = 0;
    return 0;
}

int HttpConnection::onUrl(http_parser* parser, const char* at, size_t length)
{
    connectionOf(parser)->m_request.target.append(at, qsizetype(length));
    return 0;
}

int HttpConnection::onHeaderField(http_parser* parser, const char* at, size_t length)
{
    HttpConnection* self = connectionOf(parser);
    HttpRequest& request = self->m_request;
    if (request.headers.isEmpty() || self->m_lastWasValue) {
        if (request.headers.size() >= self->m_limits.maxHeaderFields) {
            self->m_refusal = 431;
            return 1;
        }
        request.headers.emplaceBack();
        self->m_fieldBytes = 0;
        self->m_lastWasValue = false;
    }
    self->m_fieldBytes += qint64(length);
    if (self->m_fieldBytes > self->m_limits.maxHeaderFieldBytes) {
        self->m_refusal = 431;
        return 1;
    }
    request.headers.last().first.append(at, qsizetype(length));
    return 0;
}

int HttpConnection::onHeaderValue(http_parser* parser, const char* at, size_t length)
{
    HttpConnection* self = connectionOf(parser);
    self->m_lastWasValue = true;
    self->m_fieldBytes += qint64(length);
    if (self->m_fieldBytes > self->m_limits.maxHeaderFieldBytes) {
        self->m_refusal = 431;
        return 1;
    }
    self->m_request.headers.last().second.append(at, qsizetype(length));
    return 0;
}

int HttpConnection::onHeadersComplete(http_parser* parser)
{
    HttpConnection* self = connectionOf(parser);
    if ((parser->flags & F_CONTENTLENGTH) && parser->content_length > uint64_t(self->m_limits.maxBodyBytes)) {
        self->m_refusal = 413;
        return -1;
    }
    HttpRequest& request = self->m_request;
    request.method = http_method_str(static_cast<http_method>(parser->method));
    request.versionMajor = parser->http_major;
    request.versionMinor = parser->http_minor;
    for (auto& field : request.headers)
        field.second = field.second.trimmed();
    const bool bodyComes =
        ((parser->flags & F_CONTENTLENGTH) && parser->content_length > 0) || (parser->flags & F_CHUNKED);
    if (bodyComes && self->m_limits.bodyTimeoutMs > 0)
        self->m_requestTimer.start(self->m_limits.bodyTimeoutMs);
    return 0;
}

int HttpConnection::onBody(http_parser* parser, const char*, size_t length)
{
    HttpConnection* self = connectionOf(parser);
    self->m_bodyBytes += qint64(length);
    if (self->m_bodyBytes > self->m_limits.maxBodyBytes) {
        self->m_refusal = 413;
        return 1;
    }
    return 0;
}

int HttpConnection::onMessageComplete(http_parser* parser)
{
    HttpConnection* self = connectionOf(parser);
    // An HTTP/1.0 client may read its answer to the end of the connection; an upgrade request gets
    // one plain answer, never a switch of protocols.
    const bool http10 = parser->http_major < 1 || (parser->http_major == 1 && parser->http_minor == 0);
    self->m_closeAfterRequest = http10 || parser->upgrade || !http_should_keep_alive(parser);
    self->m_requestDone = true;
    self->m_inRequest = false;
    self->m_requestTimer.stop();
    http_parser_pause(parser, 1); // one request at a time, so that reading stops after it if need be
    return 0;
}

void HttpConnection::scheduleReading()
{
    if (m_readScheduled)
        return;
    m_readScheduled = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_readScheduled = false;
            readRequests();
        },
        Qt::QueuedConnection);
}

void HttpConnection::readRequests()
{
    if (!m_socket->isOpen() || m_rawOutput)
        return; // closed while this call waited in the queue
    int requests = 0;
    while (!m_readingDone && !m_lingering && qsizetype(m_slots.size()) < m_limits.maxPipelined &&
           queuedBytes() < WriteHighWater) {
        if (requests >= m_limits.requestsPerTurn) {
            scheduleReading(); // the other connections' turn first
            return;
        }
        if (m_input.isEmpty())
            m_input = m_socket->read(ReadChunkBytes);
        if (m_input.isEmpty())
            return;
        if (parseInput())
            ++requests;
    }
}

bool HttpConnection::parseInput()
{
    static const http_parser_settings settings = parserSettings(
        &HttpConnection::onMessageBegin, &HttpConnection::onUrl, &HttpConnection::onHeaderField,
        &HttpConnection::onHeaderValue, &HttpConnection::onHeadersComplete, &HttpConnection::onBody,
        &HttpConnection::onMessageComplete);
    const size_t parsed =
        http_parser_execute(m_parser.get(), &settings, m_input.constData(), size_t(m_input.size()));
    m_input.remove(0, qsizetype(parsed));
    const http_errno error = HTTP_PARSER_ERRNO(m_parser.get());
    if (error == HPE_PAUSED)
        http_parser_pause(m_parser.get(), 0);
    else if (error != HPE_OK) {
        if (m_refusal == 0 && error == HPE_HEADER_OVERFLOW)
            m_refusal = m_request.headers.isEmpty() ? 414 : 431;
        refuse(m_refusal != 0 ? m_refusal : 400);
        return false;
    }
    if (!m_requestDone)
        return false;
    m_requestDone = false;
    touch();
    // HTTP/1.1 names the host in every request.
    if (m_request.versionMajor == 1 && m_request.versionMinor >= 1 &&
        !std::any_of(m_request.headers.cbegin(), m_request.headers.cend(), [](const auto& field) {
            return field.first.compare("host", Qt::CaseInsensitive) == 0;
        })) {
        refuse(400);
        return false;
    }
    Slot slot;
    slot.sequence = m_nextSequence++;
    slot.closeAfter = m_closeAfterRequest;
    if (slot.closeAfter) {
        m_readingDone = true;
        m_input.clear();
    }
    m_slots.push_back(std::move(slot));
    keepDescriptor();
    emit requestReceived(m_slots.back().sequence, m_request);
    return true;
}

void HttpConnection::refuse(int status)
{
    m_requestTimer.stop();
    m_readingDone = true;
    m_inRequest = false;
    m_input.clear();
    Slot slot;
    slot.sequence = m_nextSequence++;
    slot.ready = true;
    slot.closeAfter = true;
    slot.reply.status = status;
    slot.reply.contentType = "text/plain; charset=utf-8";
    slot.reply.body = QByteArray::number(status) + ' ' + reasonPhrase(status) + '\n';
    m_slots.push_back(std::move(slot));
    pump();
}

} // namespace Qorvin::LocalService
