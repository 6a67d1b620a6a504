// SPDX-License-Identifier: MIT
#include "localserver.h"

#include "byterange.h"
#include "gbkcodec.h"
#include "searchquery.h"

#include <QHostAddress>
#include <QHttpServerRequest>
#include <QPointer>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTimer>

#include <cstdio>

namespace Qorvin::LocalService {

namespace {

const QByteArray HtmlType = QByteArrayLiteral("text/html; charset=gb2312");
const QByteArray Mp3Type = QByteArrayLiteral("audio/mpeg");

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 206:
        return "Partial Content";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 416:
        return "Range Not Satisfiable";
    default:
        return "Internal Server Error";
    }
}

QByteArray headerValue(const QHttpServerRequest& request, QByteArrayView name)
{
    const auto headers = request.headers();
    for (const auto& header : headers) {
        if (header.first.compare(name, Qt::CaseInsensitive) == 0)
            return header.first.isEmpty() ? QByteArray() : header.second;
    }
    return {};
}

QByteArray methodName(QHttpServerRequest::Method method)
{
    switch (method) {
    case QHttpServerRequest::Method::Get:
        return "GET";
    case QHttpServerRequest::Method::Head:
        return "HEAD";
    case QHttpServerRequest::Method::Post:
        return "POST";
    case QHttpServerRequest::Method::Put:
        return "PUT";
    case QHttpServerRequest::Method::Delete:
        return "DELETE";
    default:
        return "OTHER";
    }
}

// "/mirror2/1234.mp3", in any case: the song id, or -1.
SongId songIdOf(const QString& path, qsizetype catalogueSize)
{
    static const QRegularExpression file(QStringLiteral("/(\\d{1,9})\\.mp3$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = file.match(path);
    if (!match.hasMatch())
        return -1;
    const SongId id = match.captured(1).toLongLong();
    return id < catalogueSize ? id : -1;
}

// The request's target for the log: proxy-form requests carry no port (QUrl reads it as 0),
// and a very long target is cut so that one request stays one readable line.
QByteArray loggedTarget(const QHttpServerRequest& request)
{
    QUrl url = request.url();
    if (url.port() == 0)
        url.setPort(-1);
    QByteArray target = url.toEncoded();
    if (target.size() > 300)
        target = target.first(300) + "...(" + QByteArray::number(target.size()) + " bytes)";
    return target;
}

} // namespace

LocalServer::LocalServer(ServerOptions options, QObject* parent)
    : QAbstractHttpServer(parent), m_options(options)
{
}

bool LocalServer::listen(quint16 port)
{
    m_port = QAbstractHttpServer::listen(QHostAddress::LocalHost, port);
    return m_port != 0;
}

LocalServer::Answer LocalServer::pageAnswer(int status, const QString& html) const
{
    Answer answer;
    answer.status = status;
    answer.contentType = HtmlType;
    answer.body = encodeGbkPage(html);
    return answer;
}

LocalServer::Answer LocalServer::songAnswer(SongId id, const QHttpServerRequest& request)
{
    const QByteArray mp3 = m_audio.mp3For(id);
    if (mp3.isEmpty()) {
        Answer failed = pageAnswer(500, m_pages.serverErrorPage());
        failed.isPage = false;
        return failed;
    }
    Answer answer;
    answer.isPage = false;
    answer.contentType = Mp3Type;
    answer.headers.emplaceBack(QByteArrayLiteral("Accept-Ranges"), QByteArrayLiteral("bytes"));
    const ByteRange range = byteRangeOf(headerValue(request, "range"), mp3.size());
    switch (range.kind) {
    case ByteRange::Whole:
        answer.body = mp3;
        break;
    case ByteRange::Part:
        answer.status = 206;
        answer.body = mp3.sliced(range.first, range.size());
        answer.headers.emplaceBack(QByteArrayLiteral("Content-Range"),
                                   "bytes " + QByteArray::number(range.first) + '-' +
                                       QByteArray::number(range.last) + '/' + QByteArray::number(mp3.size()));
        break;
    case ByteRange::Unsatisfiable:
        answer.status = 416;
        answer.headers.emplaceBack(QByteArrayLiteral("Content-Range"),
                                   "bytes */" + QByteArray::number(mp3.size()));
        break;
    }
    return answer;
}

LocalServer::Answer LocalServer::answerFor(const QHttpServerRequest& request)
{
    const QUrl url = request.url();
    const QString path = url.path(QUrl::FullyDecoded);
    if (request.method() != QHttpServerRequest::Method::Get &&
        request.method() != QHttpServerRequest::Method::Head) {
        Answer answer = pageAnswer(405, m_pages.notFoundPage(path));
        answer.headers.emplaceBack(QByteArrayLiteral("Allow"), QByteArrayLiteral("GET, HEAD"));
        return answer;
    }
    if (path == u"/m") {
        const SearchQuery query = parseSearchQuery(url.query(QUrl::FullyEncoded).toLatin1());
        if (!query.isValid())
            return pageAnswer(400, m_pages.badQueryPage(query.error));
        return pageAnswer(200, m_pages.searchPage(query.word, query.offset));
    }
    if (const std::optional<QString> list = m_pages.topicListPage(path))
        return pageAnswer(200, *list);
    if (path == u"/" || path.isEmpty())
        return pageAnswer(200, m_pages.makerHomePage());
    if (path == u"/tavrel/bbs/index.asp")
        return pageAnswer(200, m_pages.forumPage());
    if (const SongId id = songIdOf(path, Catalogue::builtIn().size()); id >= 0)
        return songAnswer(id, request);
    return pageAnswer(404, m_pages.notFoundPage(path));
}

bool LocalServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket)
{
    QElapsedTimer timer;
    timer.start();
    Delivery delivery;
    delivery.answer = answerFor(request);
    delivery.headOnly = request.method() == QHttpServerRequest::Method::Head;
    delivery.close = headerValue(request, "connection").compare("close", Qt::CaseInsensitive) == 0;
    delivery.method = methodName(request.method());
    delivery.target = loggedTarget(request);

    const qint64 number = delivery.answer.isPage ? ++m_pageCount : 0;
    if (number > 0 && m_options.failEvery > 0 && number % m_options.failEvery == 0) {
        if (++m_failureCount % 2 == 0)
            delivery.fault = Delivery::Reset;
        else
            delivery.answer = pageAnswer(500, m_pages.serverErrorPage());
    } else if (number > 0 && m_options.stallEvery > 0 && number % m_options.stallEvery == 0) {
        delivery.fault = Delivery::Stall;
    }

    if (number == 0 || m_options.delayMs <= 0) {
        deliver(socket, delivery, timer);
        return true;
    }
    // The socket may be gone by then: the client gave up waiting.
    QTimer::singleShot(m_options.delayMs, this,
                       [this, guarded = QPointer<QTcpSocket>(socket), delivery, timer] {
                           if (guarded)
                               deliver(guarded, delivery, timer);
                       });
    return true;
}

void LocalServer::deliver(QTcpSocket* socket, const Delivery& delivery, const QElapsedTimer& timer) const
{
    switch (delivery.fault) {
    case Delivery::None:
        send(socket, delivery.answer, delivery.headOnly, delivery.close);
        break;
    case Delivery::Reset:
        socket->abort(); // the server hangs up without a word
        break;
    case Delivery::Stall:
        stall(socket, delivery.answer);
        break;
    }
    if (m_options.verbose) {
        // Status 0: the connection was reset instead of answered.
        std::fprintf(stderr, "%s %s %d %lld\n", delivery.method.constData(), delivery.target.constData(),
                     delivery.fault == Delivery::Reset ? 0 : delivery.answer.status,
                     static_cast<long long>(timer.elapsed()));
    }
}

void LocalServer::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket)
{
    send(socket, pageAnswer(404, m_pages.notFoundPage(request.url().path())), false, false);
}

void LocalServer::send(QTcpSocket* socket, const Answer& answer, bool headOnly, bool close) const
{
    QByteArray head =
        "HTTP/1.1 " + QByteArray::number(answer.status) + ' ' + reasonPhrase(answer.status) + "\r\n";
    if (!answer.contentType.isEmpty())
        head += "Content-Type: " + answer.contentType + "\r\n";
    head += "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n";
    for (const auto& header : answer.headers)
        head += header.first + ": " + header.second + "\r\n";
    if (close)
        head += "Connection: close\r\n";
    head += "\r\n";
    socket->write(head);
    if (!headOnly)
        socket->write(answer.body);
    if (close)
        socket->disconnectFromHost();
}

void LocalServer::stall(QTcpSocket* socket, const Answer& answer) const
{
    // Headers promise the whole body; half of it comes, the rest never does.
    Answer half = answer;
    half.body.truncate(answer.body.size() / 2);
    QByteArray head = "HTTP/1.1 " + QByteArray::number(answer.status) + ' ' + reasonPhrase(answer.status) +
                      "\r\n" + "Content-Type: " + answer.contentType + "\r\n" +
                      "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n\r\n";
    socket->write(head + half.body);
}

} // namespace Qorvin::LocalService
