// SPDX-License-Identifier: MIT
#include "localservice/localserver.h"

#include "localservice/archivesource.h"
#include "localservice/byterange.h"
#include "localservice/catalogue.h"
#include "localservice/cataloguesource.h"
#include "localservice/gbkcodec.h"
#include "localservice/httpconnection.h"
#include "localservice/searchquery.h"
#include "localservice/songaudio.h"
#include "localservice/songbody.h"

#include <QHostAddress>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QTcpSocket>
#include <QTimer>

#include <cerrno>
#include <cstdio>

#include <sys/socket.h>
#include <unistd.h>

namespace Qorvin::LocalService {

namespace {

const QByteArray HtmlType = QByteArrayLiteral("text/html; charset=gb2312");
const QByteArray Mp3Type = QByteArrayLiteral("audio/mpeg");

// While descriptors run out, accepting pauses this long before it tries again.
constexpr int AcceptRetryMs = 100;
// A connection this young is never closed to make room: its client had no time to ask yet.
constexpr qint64 NewcomerMs = 1000;
// Clients connecting all at once wait in the kernel's queue instead of being turned away
// (the kernel cuts it to its own maximum, net.core.somaxconn).
constexpr int ListenBacklog = 4096;

struct Target
{
    QString path; // percent-decoded
    QByteArray query;
};

// Origin-form "/p?q" or absolute-form "http://host/p?q"; a fragment, never sent by browsers, is cut.
Target targetOf(QByteArray target)
{
    if (const qsizetype hash = target.indexOf('#'); hash >= 0)
        target.truncate(hash);
    QByteArray pathAndQuery = target;
    if (!target.startsWith('/')) {
        const qsizetype scheme = target.indexOf("://");
        const qsizetype start = scheme < 0 ? 0 : scheme + 3;
        const qsizetype end = target.indexOf('/', start);
        const qsizetype query = target.indexOf('?', start);
        if (end >= 0 && (query < 0 || end < query))
            pathAndQuery = target.sliced(end);
        else
            pathAndQuery = query >= 0 ? target.sliced(query) : QByteArray();
    }
    Target result;
    const qsizetype question = pathAndQuery.indexOf('?');
    result.query = question >= 0 ? pathAndQuery.sliced(question + 1) : QByteArray();
    result.path = QString::fromUtf8(
        QByteArray::fromPercentEncoding(question >= 0 ? pathAndQuery.left(question) : pathAndQuery));
    return result;
}

// "/mirror2/1234.mp3", in any case: the song id, or -1. "\z" and not "$": a path ending in a
// newline names no file.
SongId songIdOf(const QString& path, qsizetype catalogueSize)
{
    static const QRegularExpression file(QStringLiteral("/(\\d{1,9})\\.mp3\\z"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = file.match(path);
    if (!match.hasMatch())
        return -1;
    const SongId id = match.captured(1).toLongLong();
    return id < catalogueSize ? id : -1;
}

// The request's target for the log, cut so that one request stays one readable line.
QByteArray loggedTarget(const QByteArray& target)
{
    if (target.size() > 300)
        return target.first(300) + "...(" + QByteArray::number(target.size()) + " bytes)";
    return target;
}

} // namespace

LocalServer::LocalServer(ServerOptions options, QObject* parent)
    : QObject(parent), m_options(std::move(options)), m_stats(std::make_shared<FileCounters>())
{
    if (m_options.source == ServerOptions::Source::Archive)
        m_source = std::make_unique<ArchiveSource>(m_options.archive, m_pages);
    else
        m_source = std::make_unique<CatalogueSource>(m_pages);
}

LocalServer::~LocalServer()
{
    delete m_acceptNotifier; // before the listening socket closes
}

bool LocalServer::listen(quint16 port)
{
    SongAudio::prepare(); // encode the tunes before the first request, not during it
    m_tcp.setListenBacklogSize(ListenBacklog);
    if (!m_tcp.listen(QHostAddress::LocalHost, port))
        return false;
    m_port = m_tcp.serverPort();
    // Qt's own accepting cannot always tell running out of descriptors from having nothing to
    // accept: the listening socket then stays readable and a core spins. This server accepts by
    // itself, on the socket Qt listens with.
    m_tcp.pauseAccepting();
    m_acceptNotifier = new QSocketNotifier(m_tcp.socketDescriptor(), QSocketNotifier::Read, this);
    connect(m_acceptNotifier, &QSocketNotifier::activated, this, &LocalServer::acceptConnections);
    return true;
}

void LocalServer::resetFileStats()
{
    m_stats->reset();
}

void LocalServer::acceptConnections()
{
    HttpLimits limits;
    limits.idleTimeoutMs = m_options.idleTimeoutMs;
    limits.headTimeoutMs = m_options.headTimeoutMs;
    limits.bodyTimeoutMs = m_options.bodyTimeoutMs;
    for (;;) {
        const int descriptor =
            ::accept4(int(m_tcp.socketDescriptor()), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (descriptor < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)
                makeRoom();
            return; // EAGAIN: nobody else is waiting
        }
        auto* socket = new QTcpSocket;
        if (!socket->setSocketDescriptor(descriptor)) {
            ::close(descriptor);
            delete socket;
            continue;
        }
        auto* connection = new HttpConnection(socket, limits, this);
        m_connections.append(connection);
        connect(connection, &QObject::destroyed, this,
                [this, connection] { m_connections.removeOne(connection); });
        connect(connection, &HttpConnection::requestReceived, this,
                [this, connection](quint64 sequence, const HttpRequest& request) {
                    onRequest(connection, sequence, request);
                });
    }
}

void LocalServer::makeRoom()
{
    // The client waits in the listening socket's queue, which stays readable: accepting pauses
    // instead of spinning. Room is made by the connection quiet for longest among those owed no
    // answer: idle ones and ones stuck halfway through a request alike. One just accepted is
    // never taken, or each newcomer would be the one closed.
    m_acceptNotifier->setEnabled(false);
    HttpConnection* oldest = nullptr;
    for (HttpConnection* connection : std::as_const(m_connections)) {
        if (connection->owesNoAnswer() && connection->ageMs() >= NewcomerMs &&
            (!oldest || connection->idleMs() > oldest->idleMs()))
            oldest = connection;
    }
    if (oldest) {
        m_connections.removeOne(oldest);
        oldest->close();
    }
    QTimer::singleShot(oldest ? 0 : AcceptRetryMs, this, [this] { m_acceptNotifier->setEnabled(true); });
}

HttpReply LocalServer::pageReply(int status, const QString& html) const
{
    HttpReply reply;
    reply.status = status;
    reply.contentType = HtmlType;
    // A NUL the request carried (%00) goes out as U+FFFD, never as a raw NUL in the page.
    reply.body = encodeGbkPage(
        html.contains(QChar(0)) ? QString(html).replace(QChar(0), QChar::ReplacementCharacter) : html);
    return reply;
}

HttpReply LocalServer::statsReply(bool reset)
{
    const FileStats counts = m_stats->snapshot();
    const QJsonObject stats{
        {QStringLiteral("bodyBytesSent"), counts.bodyBytesSent},
        {QStringLiteral("fileRequests"), counts.fileRequests},
        {QStringLiteral("activeFileRequests"), counts.activeFileRequests},
        {QStringLiteral("peakActiveFileRequests"), counts.peakActiveFileRequests},
    };
    if (reset)
        resetFileStats();
    HttpReply reply;
    reply.contentType = "application/json";
    reply.body = QJsonDocument(stats).toJson(QJsonDocument::Compact);
    reply.headers.emplaceBack("Cache-Control", "no-store");
    return reply;
}

HttpReply LocalServer::songReply(SongId id, const HttpRequest& request)
{
    m_stats->addRequest();
    const auto active = std::make_shared<const ActiveFileRequest>(m_stats);
    const auto failed = [&](int status, const QString& html) {
        HttpReply reply = pageReply(status, html);
        reply.heldUntilDone = active;
        return reply;
    };
    const QString path = targetOf(request.target).path;
    if (m_options.missingSongs.contains(id))
        return failed(404, m_pages.notFoundPage(path));
    if (m_options.brokenSongs.contains(id))
        return failed(500, m_pages.serverErrorPage());
    if (m_options.notMp3Every > 0 && ++m_fileCount % m_options.notMp3Every == 0)
        return failed(200, m_pages.notFoundPage(path)); // the "soft 404" some sites send
    SongFile file = SongAudio::fileOf(id);
    // A file that changes now and then on a server that ignores If-Range: a range of whatever the
    // file is now goes out, under its new ETag.
    const bool changing = m_options.changeFileEvery > 0;
    if (changing)
        file = file.changed(m_songRequests[id]++ / m_options.changeFileEvery);
    if (!file.isValid())
        return failed(500, m_pages.serverErrorPage());

    HttpReply reply;
    reply.heldUntilDone = active;
    reply.contentType = Mp3Type;
    reply.headers.emplaceBack("ETag", file.etag());
    reply.headers.emplaceBack("Last-Modified", file.lastModified());
    ByteRange range{ByteRange::Whole, 0, file.size() - 1};
    if (!m_options.ignoreRange) {
        reply.headers.emplaceBack("Accept-Ranges", "bytes");
        // If-Range: the part only when the client's copy is this very file, else all of it.
        const QByteArray ifRange = request.header("if-range");
        if (changing || ifRange.isEmpty() || ifRange == file.etag() || ifRange == file.lastModified())
            range = byteRangeOf(request.header("range"), file.size());
        if (range.kind == ByteRange::Whole)
            range = ByteRange{ByteRange::Whole, 0, file.size() - 1};
    }
    const QByteArray size = QByteArray::number(file.size());
    switch (range.kind) {
    case ByteRange::Whole:
        break;
    case ByteRange::Part:
        reply.status = 206;
        reply.headers.emplaceBack("Content-Range", "bytes " + QByteArray::number(range.first) + '-' +
                                                       QByteArray::number(range.last) + '/' + size);
        break;
    case ByteRange::Unsatisfiable:
        reply.status = 416;
        reply.headers.emplaceBack("Content-Range", "bytes */" + size);
        return reply;
    }
    reply.stream = std::make_shared<SongBody>(file, range.first, range.last, m_stats);
    if (m_options.rateKbps > 0)
        reply.bytesPerSecond = qMax<qint64>(1, m_options.rateKbps * 1000 / 8);
    if (m_options.dropAfterBytes > 0 && !request.isHead() && range.size() > m_options.dropAfterBytes &&
        !m_droppedSongs.contains(id)) {
        m_droppedSongs.insert(id);
        reply.dropAfterBytes = m_options.dropAfterBytes;
    }
    return reply;
}

void LocalServer::answer(const HttpRequest& request, AnswerReady ready)
{
    const bool readable = request.method == "GET" || request.method == "HEAD";
    const Target target = targetOf(request.target);
    const auto sourcePage = [this, ready](SourcePage page) {
        ready(pageReply(page.status, page.html), true);
    };
    if (readable && target.path == u"/m") {
        const SearchQuery query = parseSearchQuery(target.query);
        if (!query.isValid()) {
            ready(pageReply(400, m_pages.badQueryPage(query.error)), true);
            return;
        }
        m_source->resultPage(query.word, query.offset, sourcePage);
        return;
    }
    if (const qsizetype topic = TopicLists::topicIndexOf(target.path); readable && topic >= 0) {
        m_source->topicListPage(topic, sourcePage);
        return;
    }
    bool isPage = true;
    HttpReply reply = answerFor(request, isPage);
    ready(std::move(reply), isPage);
}

HttpReply LocalServer::answerFor(const HttpRequest& request, bool& isPage)
{
    isPage = true;
    const Target target = targetOf(request.target);
    const QString& path = target.path;
    if (request.method != "GET" && request.method != "HEAD") {
        HttpReply reply = pageReply(405, m_pages.notFoundPage(path));
        reply.headers.emplaceBack("Allow", "GET, HEAD");
        return reply;
    }
    if (path == u"/" || path.isEmpty())
        return pageReply(200, m_pages.makerHomePage());
    if (path == u"/tavrel/bbs/index.asp")
        return pageReply(200, m_pages.forumPage());
    if (path == u"/_stats") {
        isPage = false;
        return statsReply(target.query == "reset=1");
    }
    if (const SongId id = songIdOf(path, Catalogue::builtIn().size()); id >= 0) {
        isPage = false;
        return songReply(id, request);
    }
    return pageReply(404, m_pages.notFoundPage(path));
}

void LocalServer::onRequest(HttpConnection* connection, quint64 sequence, const HttpRequest& request)
{
    QElapsedTimer timer;
    timer.start();
    // The connection may be gone when a page from the Archive is ready: the client gave up.
    answer(request, [this, guarded = QPointer<HttpConnection>(connection), sequence, request,
                     timer](HttpReply reply, bool isPage) {
        if (guarded)
            send(guarded, sequence, request, std::move(reply), isPage, timer);
    });
}

void LocalServer::send(HttpConnection* connection, quint64 sequence, const HttpRequest& request,
                       HttpReply reply, bool isPage, const QElapsedTimer& timer)
{
    const qint64 number = isPage ? ++m_pageCount : 0;
    if (number > 0 && m_options.failEvery > 0 && number % m_options.failEvery == 0) {
        if (++m_failureCount % 2 == 0)
            reply.fault = HttpReply::Reset;
        else
            reply = pageReply(500, m_pages.serverErrorPage());
    } else if (number > 0 && m_options.stallEvery > 0 && number % m_options.stallEvery == 0) {
        reply.fault = HttpReply::Stall;
    }
    reply.headOnly = request.isHead();

    if (m_options.verbose) {
        // Status 0: the connection was reset instead of answered.
        const int status = reply.fault == HttpReply::Reset ? 0 : reply.status;
        reply.onSent = [method = request.method, target = loggedTarget(request.target), status, timer] {
            std::fprintf(stderr, "%s %s %d %lld\n", method.constData(), target.constData(), status,
                         static_cast<long long>(timer.elapsed()));
        };
    }

    if (number == 0 || m_options.delayMs <= 0) {
        connection->reply(sequence, std::move(reply));
        return;
    }
    // The connection may be gone by then: the client gave up waiting.
    QTimer::singleShot(m_options.delayMs, connection,
                       [guarded = QPointer<HttpConnection>(connection), sequence, reply]() mutable {
                           if (guarded)
                               guarded->reply(sequence, std::move(reply));
                       });
}

} // namespace Qorvin::LocalService
