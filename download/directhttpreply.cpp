// SPDX-License-Identifier: MIT
#include "download/directhttpreply.h"

#include "download/replyerrors.h"

#include <QList>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkRequest>
#include <QTcpSocket>

#include <http_parser.h>

#include <climits>
#include <cstring>
#include <utility>

namespace Qorvin {

namespace {

// What one read takes from the socket.
constexpr qint64 SocketChunkBytes = 256 * 1024;

bool isHttpProxy(const QNetworkProxy& proxy)
{
    return proxy.type() == QNetworkProxy::HttpProxy || proxy.type() == QNetworkProxy::HttpCachingProxy;
}

// The proxy the manager would take for url: its own, its factory's, or the application's.
QNetworkProxy proxyFor(QNetworkAccessManager* network, const QUrl& url)
{
    if (network && network->proxy().type() != QNetworkProxy::DefaultProxy)
        return network->proxy();
    const QNetworkProxyQuery query(url);
    const QList<QNetworkProxy> proxies = network && network->proxyFactory()
                                             ? network->proxyFactory()->queryProxy(query)
                                             : QNetworkProxyFactory::proxyForQuery(query);
    return proxies.value(0, QNetworkProxy(QNetworkProxy::NoProxy));
}

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

} // namespace

QNetworkReply* getSong(QNetworkAccessManager* network, const QNetworkRequest& request, QObject* parent)
{
    if (request.url().scheme() == u"http")
        return new DirectHttpReply(network, request, parent);
    return network->get(request);
}

// http-parser's state for one answer, and its callbacks into the reply.
struct DirectHttpReply::Parser
{
    http_parser parser{};
    http_parser_settings settings{};
    DirectHttpReply* reply = nullptr;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray reason;
    bool inValue = false;
    bool headersDone = false;
    bool complete = false;
    bool redirecting = false;
    QUrl redirectTarget;

    explicit Parser(DirectHttpReply* owner) : reply(owner)
    {
        http_parser_init(&parser, HTTP_RESPONSE);
        parser.data = this;
        http_parser_settings_init(&settings);
        settings.on_status = [](http_parser* p, const char* at, size_t length) {
            self(p).reason.append(at, qsizetype(length));
            return 0;
        };
        settings.on_header_field = [](http_parser* p, const char* at, size_t length) {
            Parser& s = self(p);
            if (s.inValue || s.headers.isEmpty()) {
                s.headers.append(QPair<QByteArray, QByteArray>());
                s.inValue = false;
            }
            s.headers.last().first.append(at, qsizetype(length));
            return 0;
        };
        settings.on_header_value = [](http_parser* p, const char* at, size_t length) {
            Parser& s = self(p);
            s.inValue = true;
            s.headers.last().second.append(at, qsizetype(length));
            return 0;
        };
        settings.on_headers_complete = [](http_parser* p) {
            self(p).headersDone = true;
            self(p).reply->headersComplete();
            return 0;
        };
        settings.on_body = [](http_parser* p, const char* at, size_t length) {
            Parser& s = self(p);
            if (!s.redirecting)
                s.reply->m_body.append(at, qsizetype(length));
            return 0;
        };
        settings.on_message_complete = [](http_parser* p) {
            self(p).complete = true;
            return 0;
        };
    }

    static Parser& self(http_parser* p) { return *static_cast<Parser*>(p->data); }
};

DirectHttpReply::DirectHttpReply(QNetworkAccessManager* network, const QNetworkRequest& request,
                                 QObject* parent)
    : QNetworkReply(parent), m_network(network), m_redirectsLeft(request.maximumRedirectsAllowed())
{
    setRequest(request);
    setUrl(request.url());
    setOperation(QNetworkAccessManager::GetOperation);
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    // Started from the event loop, so that whoever asked has connected to the signals.
    QMetaObject::invokeMethod(
        this, [this] { connectTo(url()); }, Qt::QueuedConnection);
}

DirectHttpReply::~DirectHttpReply()
{
    dropSocket();
}

void DirectHttpReply::connectTo(const QUrl& target)
{
    if (m_finished)
        return;
    if (!target.isValid() || target.host().isEmpty())
        return finishWith(ProtocolFailure, QStringLiteral("Invalid URL %1").arg(target.toString()));
    m_parser = std::make_unique<Parser>(this);
    m_proxy = proxyFor(m_network, target);
    m_socket = new QTcpSocket(this);
    m_socket->setReadBufferSize(m_readBufferSize);
    connect(m_socket, &QTcpSocket::connected, this, &DirectHttpReply::sendRequest);
    connect(m_socket, &QTcpSocket::readyRead, this, &DirectHttpReply::readSocket);
    connect(m_socket, &QTcpSocket::disconnected, this, &DirectHttpReply::onDisconnected);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &DirectHttpReply::onSocketError);
    if (isHttpProxy(m_proxy)) {
        // A plain request to the proxy, naming the whole address: no tunnel is needed for http.
        m_socket->setProxy(QNetworkProxy::NoProxy);
        m_socket->connectToHost(m_proxy.hostName(), m_proxy.port());
    } else {
        m_socket->setProxy(
            m_proxy.type() == QNetworkProxy::Socks5Proxy ? m_proxy : QNetworkProxy(QNetworkProxy::NoProxy));
        m_socket->connectToHost(target.host(), quint16(target.port(80)));
    }
}

void DirectHttpReply::sendRequest()
{
    const QUrl target = url();
    QByteArray requestTarget;
    if (isHttpProxy(m_proxy)) {
        requestTarget = target.toEncoded(QUrl::RemoveUserInfo | QUrl::RemoveFragment);
    } else {
        requestTarget = target.path(QUrl::FullyEncoded).toLatin1();
        if (requestTarget.isEmpty())
            requestTarget = "/";
        if (target.hasQuery())
            requestTarget += '?' + target.query(QUrl::FullyEncoded).toLatin1();
    }
    QByteArray head = "GET " + requestTarget + " HTTP/1.1\r\nHost: " +
                      target.authority(QUrl::FullyEncoded | QUrl::RemoveUserInfo).toLatin1() + "\r\n";
    const QNetworkRequest& asked = request();
    for (const QByteArray& name : asked.rawHeaderList()) {
        const QByteArray lower = name.toLower();
        if (lower == "host" || lower == "connection" || lower.startsWith("proxy-"))
            continue;
        head += name + ": " + asked.rawHeader(name) + "\r\n";
    }
    if (isHttpProxy(m_proxy) && !m_proxy.user().isEmpty())
        head += "Proxy-Authorization: Basic " +
                (m_proxy.user() + u':' + m_proxy.password()).toUtf8().toBase64() + "\r\n";
    // One answer per connection: its end is the connection's end, whatever the server's framing.
    head += "Connection: close\r\n\r\n";
    m_socket->write(head);
}

void DirectHttpReply::readSocket()
{
    if (m_socketBodyLeft >= 0) {
        if (bytesAvailable() > 0)
            emit readyRead();
        return endWhenDrained();
    }
    static thread_local std::unique_ptr<char[]> chunk(new char[SocketChunkBytes]);
    const qint64 before = m_body.size() - m_bodyRead;
    while (m_socket && !m_finished && m_socket->bytesAvailable() > 0) {
        // What the reader has not taken yet waits in the socket, as in the manager's read buffer.
        if (m_readBufferSize > 0 && m_body.size() - m_bodyRead >= m_readBufferSize)
            break;
        const qint64 read = m_socket->read(chunk.get(), SocketChunkBytes);
        if (read <= 0 || !parse(chunk.get(), read))
            return;
        if (m_parser->redirecting)
            return followRedirect(m_parser->redirectTarget);
        if (m_parser->complete)
            break;
        const http_parser& state = m_parser->parser;
        if (m_parser->headersDone && !(state.flags & F_CHUNKED) && state.content_length != ULLONG_MAX) {
            // The parser has counted down the body bytes it has seen; the rest is plain bytes.
            m_socketBodyLeft = qint64(state.content_length);
            break;
        }
    }
    if (m_finished)
        return;
    if (bytesAvailable() > before)
        emit readyRead();
    if (m_socketBodyLeft >= 0)
        endWhenDrained();
    else if (!m_finished && m_parser && m_parser->complete)
        finishOk();
}

qint64 DirectHttpReply::readFromSocket(char* data, qint64 maxSize)
{
    if (m_socketBodyLeft <= 0 || !m_socket || maxSize <= 0)
        return 0;
    const qint64 read = m_socket->read(data, qMin(maxSize, m_socketBodyLeft));
    if (read <= 0)
        return 0;
    m_socketBodyLeft -= read;
    return read;
}

void DirectHttpReply::endWhenDrained()
{
    if (m_finished || m_endQueued || m_body.size() > m_bodyRead || !m_socket)
        return;
    const bool whole = m_socketBodyLeft == 0;
    const bool cut = m_socketBodyLeft > 0 && m_socket->state() == QAbstractSocket::UnconnectedState &&
                     m_socket->bytesAvailable() == 0;
    if (!whole && !cut)
        return;
    // Ended from the event loop: the reader may be in the middle of its reading.
    m_endQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this, whole] {
            if (whole)
                finishOk();
            else
                finishWith(isHttpProxy(m_proxy) ? ProxyConnectionClosedError : RemoteHostClosedError,
                           QStringLiteral("Connection closed before the whole answer arrived"));
        },
        Qt::QueuedConnection);
}

bool DirectHttpReply::parse(const char* data, qint64 size)
{
    Parser& p = *m_parser;
    const size_t parsed = http_parser_execute(&p.parser, &p.settings, data, size_t(size));
    if (p.parser.http_errno != HPE_OK || (parsed != size_t(size) && !p.complete)) {
        finishWith(ProtocolFailure, QStringLiteral("Invalid HTTP answer: %1")
                                        .arg(QLatin1StringView(http_errno_description(
                                            static_cast<http_errno>(p.parser.http_errno)))));
        return false;
    }
    return true;
}

void DirectHttpReply::headersComplete()
{
    Parser& p = *m_parser;
    const int status = int(p.parser.status_code);
    if (!p.headers.isEmpty() && p.headers.last().first.isEmpty())
        p.headers.removeLast();
    QByteArray location;
    for (const auto& [name, value] : std::as_const(p.headers)) {
        // Repeated fields are joined, as the manager's replies join them.
        const QByteArray earlier = rawHeader(name);
        setRawHeader(name, earlier.isEmpty() ? value : earlier + ", " + value);
        if (name.compare("Location", Qt::CaseInsensitive) == 0)
            location = value;
    }
    setAttribute(QNetworkRequest::HttpStatusCodeAttribute, status);
    setAttribute(QNetworkRequest::HttpReasonPhraseAttribute, QString::fromLatin1(p.reason));
    if (!(p.parser.flags & F_CHUNKED) && p.parser.content_length != ULLONG_MAX)
        setHeader(QNetworkRequest::ContentLengthHeader, qint64(p.parser.content_length));
    const QVariant policy = request().attribute(QNetworkRequest::RedirectPolicyAttribute);
    const bool follows = !policy.isValid() || policy.toInt() != QNetworkRequest::ManualRedirectPolicy;
    if (isRedirect(status) && !location.isEmpty()) {
        const QUrl target = url().resolved(QUrl::fromEncoded(location));
        setAttribute(QNetworkRequest::RedirectionTargetAttribute, target);
        if (follows) {
            p.redirecting = true;
            p.redirectTarget = target;
            return;
        }
    }
    emit metaDataChanged();
}

void DirectHttpReply::followRedirect(const QUrl& target)
{
    dropSocket();
    m_body.clear();
    m_bodyRead = 0;
    if (m_redirectsLeft <= 0)
        return finishWith(TooManyRedirectsError, QStringLiteral("Too many redirects"));
    --m_redirectsLeft;
    const QString scheme = target.scheme();
    if (scheme != u"http" && scheme != u"https") {
        // The address refused is the redirect's, so whoever reports the failure can name it.
        setUrl(target);
        return finishWith(ProtocolUnknownError, QStringLiteral("Protocol \"%1\" is unknown").arg(scheme));
    }
    emit redirected(target);
    setUrl(target);
    setAttribute(QNetworkRequest::HttpStatusCodeAttribute, {});
    if (scheme == u"https") {
        QNetworkRequest next = request();
        next.setUrl(target);
        next.setMaximumRedirectsAllowed(m_redirectsLeft);
        return relayTo(m_network->get(next));
    }
    connectTo(target);
}

void DirectHttpReply::relayTo(QNetworkReply* reply)
{
    m_relay = reply;
    reply->setParent(this);
    reply->setReadBufferSize(m_readBufferSize);
    const auto copyMetaData = [this] {
        for (const auto& [name, value] : m_relay->rawHeaderPairs())
            setRawHeader(name, value);
        for (const auto attribute :
             {QNetworkRequest::HttpStatusCodeAttribute, QNetworkRequest::HttpReasonPhraseAttribute,
              QNetworkRequest::RedirectionTargetAttribute})
            setAttribute(attribute, m_relay->attribute(attribute));
        setHeader(QNetworkRequest::ContentLengthHeader,
                  m_relay->header(QNetworkRequest::ContentLengthHeader));
        setUrl(m_relay->url());
    };
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, copyMetaData] {
        copyMetaData();
        emit metaDataChanged();
    });
    connect(reply, &QNetworkReply::readyRead, this, &QNetworkReply::readyRead);
    connect(reply, &QNetworkReply::finished, this, [this, copyMetaData] {
        if (m_finished)
            return;
        copyMetaData();
        m_finished = true;
        const NetworkError error = m_relay->error();
        setError(error, m_relay->errorString());
        setFinished(true);
        if (error != NoError)
            emit errorOccurred(error);
        emit finished();
    });
}

void DirectHttpReply::onDisconnected()
{
    if (m_finished || !m_parser)
        return;
    if (m_socketBodyLeft >= 0)
        return readSocket(); // the bytes still in the socket are read before the end counts
    readSocket();            // what came before the end
    if (m_finished || !m_parser)
        return;
    // The end of the connection ends a body that has no length of its own.
    if (!m_parser->complete) {
        http_parser_execute(&m_parser->parser, &m_parser->settings, nullptr, 0);
        if (m_parser->redirecting)
            return followRedirect(m_parser->redirectTarget);
    }
    if (m_parser->complete)
        return finishOk();
    finishWith(isHttpProxy(m_proxy) ? ProxyConnectionClosedError : RemoteHostClosedError,
               m_parser->headersDone ? QStringLiteral("Connection closed before the whole answer arrived")
                                     : QStringLiteral("Connection closed"));
}

void DirectHttpReply::onSocketError()
{
    if (!m_socket || m_finished)
        return;
    const QAbstractSocket::SocketError error = m_socket->error();
    if (error == QAbstractSocket::RemoteHostClosedError)
        return; // the disconnected signal decides
    finishWith(errorOfSocket(error, isHttpProxy(m_proxy) || m_proxy.type() == QNetworkProxy::Socks5Proxy),
               m_socket->errorString());
}

void DirectHttpReply::finishOk()
{
    if (m_finished)
        return;
    m_finished = true;
    dropSocket();
    const int status = attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const NetworkError error = errorOfStatus(status);
    if (error != NoError)
        setError(error, QStringLiteral("Error transferring %1 - server replied: %2")
                            .arg(url().toString(),
                                 attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString()));
    setFinished(true);
    if (error != NoError)
        emit errorOccurred(error);
    emit finished();
}

void DirectHttpReply::finishWith(NetworkError error, const QString& text)
{
    if (m_finished)
        return;
    m_finished = true;
    dropSocket();
    setError(error, text);
    setFinished(true);
    emit errorOccurred(error);
    emit finished();
}

void DirectHttpReply::abort()
{
    if (m_finished)
        return;
    if (m_relay) {
        m_relay->disconnect(this);
        m_relay->abort();
    }
    finishWith(OperationCanceledError, QStringLiteral("Operation canceled"));
}

qint64 DirectHttpReply::bytesAvailable() const
{
    if (m_relay)
        return m_relay->bytesAvailable() + QIODevice::bytesAvailable();
    const qint64 inSocket =
        m_socketBodyLeft > 0 && m_socket ? qMin(m_socket->bytesAvailable(), m_socketBodyLeft) : 0;
    return m_body.size() - m_bodyRead + inSocket + QIODevice::bytesAvailable();
}

void DirectHttpReply::setReadBufferSize(qint64 size)
{
    QNetworkReply::setReadBufferSize(size);
    m_readBufferSize = size;
    if (m_socket)
        m_socket->setReadBufferSize(size);
    if (m_relay)
        m_relay->setReadBufferSize(size);
}

qint64 DirectHttpReply::readData(char* data, qint64 maxSize)
{
    if (m_relay)
        return m_relay->read(data, maxSize);
    const qint64 parsed = qMin(maxSize, m_body.size() - m_bodyRead);
    if (parsed > 0) {
        memcpy(data, m_body.constData() + m_bodyRead, size_t(parsed));
        m_bodyRead += parsed;
    }
    if (m_bodyRead == m_body.size()) {
        m_body.resize(0); // keeps its memory for the next bytes
        m_bodyRead = 0;
        // Bytes the buffer's limit left in the socket come on once the reader has made room.
        if (m_socketBodyLeft < 0 && m_socket && m_socket->bytesAvailable() > 0)
            QMetaObject::invokeMethod(this, &DirectHttpReply::readSocket, Qt::QueuedConnection);
    }
    const qint64 count = qMax<qint64>(parsed, 0) +
                         readFromSocket(data + qMax<qint64>(parsed, 0), maxSize - qMax<qint64>(parsed, 0));
    if (m_socketBodyLeft >= 0)
        endWhenDrained();
    if (count <= 0)
        return m_finished ? -1 : 0;
    return count;
}

void DirectHttpReply::dropSocket()
{
    if (!m_socket)
        return;
    m_socket->disconnect(this);
    m_socket->abort();
    m_socket->deleteLater();
    m_socket = nullptr;
}

} // namespace Qorvin
