// SPDX-License-Identifier: MIT
#include "tests/localservice/fakearchive.h"

#include <QHostAddress>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

namespace Qorvin::LocalService::Test {

using namespace Qt::StringLiterals;

QByteArray FakeRequest::header(QByteArrayView name) const
{
    for (const auto& field : headers) {
        if (field.first.compare(name, Qt::CaseInsensitive) == 0)
            return field.second;
    }
    return {};
}

FakeArchive::FakeArchive()
{
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QTcpServer::newConnection, this, &FakeArchive::onConnection);
}

QString FakeArchive::address() const
{
    return u"http://127.0.0.1:"_s + QString::number(port());
}

FakeAnswer FakeArchive::json(const QJsonObject& object)
{
    FakeAnswer answer;
    answer.headers.emplaceBack("Content-Type", "application/json");
    answer.body = QJsonDocument(object).toJson(QJsonDocument::Compact);
    return answer;
}

void FakeArchive::onConnection()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
            QByteArray& input = m_inputs[socket];
            input += socket->readAll();
            const qsizetype end = input.indexOf("\r\n\r\n");
            if (end < 0 || socket->property("answered").toBool())
                return;
            socket->setProperty("answered", true);
            const QList<QByteArray> lines = input.left(end).split('\n');
            FakeRequest request;
            const QList<QByteArray> words = lines.value(0).trimmed().split(' ');
            request.method = words.value(0);
            request.target = words.value(1);
            const qsizetype question = request.target.indexOf('?');
            request.path = QString::fromUtf8(QByteArray::fromPercentEncoding(
                question < 0 ? request.target : request.target.left(question)));
            if (question >= 0)
                request.query.setQuery(QString::fromLatin1(request.target.sliced(question + 1)));
            for (qsizetype i = 1; i < lines.size(); ++i) {
                const qsizetype colon = lines[i].indexOf(':');
                if (colon > 0)
                    request.headers.emplaceBack(lines[i].left(colon).trimmed(),
                                                lines[i].sliced(colon + 1).trimmed());
            }
            requests.append(request);
            FakeAnswer reply = fault ? fault(request).value_or(answer(request)) : answer(request);
            if (reply.never)
                return;
            QByteArray bytes =
                "HTTP/1.1 " + QByteArray::number(reply.status) + " Fake\r\nConnection: close\r\n";
            for (const auto& header : reply.headers)
                bytes += header.first + ": " + header.second + "\r\n";
            bytes += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n\r\n";
            if (request.method != "HEAD")
                bytes += reply.body;
            QTimer::singleShot(qMax(reply.delayMs, delayMs), socket, [socket, bytes] {
                socket->write(bytes);
                socket->disconnectFromHost();
            });
        });
        connect(socket, &QObject::destroyed, this, [this, socket] { m_inputs.remove(socket); });
    }
}

FakeAnswer FakeArchive::answer(const FakeRequest& request) const
{
    if (request.path == u"/advancedsearch.php") {
        const QString q = request.query.queryItemValue(u"q"_s, QUrl::FullyDecoded);
        QList<QJsonObject> docs;
        for (auto search = m_searches.cbegin(); search != m_searches.cend(); ++search) {
            if (q.contains(search.key()))
                docs = search.value();
        }
        const int rows = qMax(1, request.query.queryItemValue(u"rows"_s).toInt());
        const int page = qMax(1, request.query.queryItemValue(u"page"_s).toInt());
        QJsonArray shown;
        for (qsizetype i = qsizetype(page - 1) * rows; i < docs.size() && i < qsizetype(page) * rows; ++i)
            shown.append(docs[i]);
        return json({{u"responseHeader"_s, QJsonObject{{u"status"_s, 0}}},
                     {u"response"_s, QJsonObject{{u"numFound"_s, docs.size()},
                                                 {u"start"_s, (page - 1) * rows},
                                                 {u"docs"_s, shown}}}});
    }
    if (request.path.startsWith(u"/metadata/"))
        return json(m_items.value(request.path.sliced(10)));
    if (request.path.startsWith(u"/download/")) {
        FakeAnswer moved;
        moved.status = 302;
        moved.headers.emplaceBack("Location", address().toLatin1() + "/data" + request.target.sliced(9));
        return moved;
    }
    if (request.path.startsWith(u"/data/"))
        return fileAnswer(request);
    FakeAnswer missing;
    missing.status = 404;
    return missing;
}

FakeAnswer FakeArchive::fileAnswer(const FakeRequest& request) const
{
    FakeAnswer reply;
    const QString key = request.path.sliced(6);
    if (!m_files.contains(key)) {
        reply.status = 404;
        return reply;
    }
    const QByteArray bytes = m_files.value(key);
    reply.headers.emplaceBack("Content-Type", "audio/mpeg");
    reply.headers.emplaceBack("Accept-Ranges", "bytes");
    reply.headers.emplaceBack("ETag", "\"fake\"");
    const QByteArray range = request.header("range");
    const QByteArray ifRange = request.header("if-range");
    if (range.startsWith("bytes=") && range.endsWith('-') && (ifRange.isEmpty() || ifRange == "\"fake\"")) {
        const qint64 first = range.mid(6, range.size() - 7).toLongLong();
        if (first < bytes.size()) {
            reply.status = 206;
            reply.headers.emplaceBack("Content-Range", "bytes " + QByteArray::number(first) + '-' +
                                                           QByteArray::number(bytes.size() - 1) + '/' +
                                                           QByteArray::number(bytes.size()));
            reply.body = bytes.sliced(first);
            return reply;
        }
    }
    reply.body = bytes;
    return reply;
}

} // namespace Qorvin::LocalService::Test
