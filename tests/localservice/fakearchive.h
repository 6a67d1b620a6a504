// SPDX-License-Identifier: MIT
// A stand-in for the Internet Archive on 127.0.0.1, in the test's own event loop: search answers
// and item file lists from fixtures, downloads through a 302 to a data address that serves ranges,
// and faults on demand. Every answer closes its connection.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QTcpServer>
#include <QUrlQuery>

#include <functional>
#include <optional>

namespace Qorvin::LocalService::Test {

struct FakeRequest
{
    QByteArray method;
    QByteArray target; // path and query, as sent
    QString path;      // decoded
    QUrlQuery query;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray header(QByteArrayView name) const;
};

struct FakeAnswer
{
    int status = 200;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    int delayMs = 0;
    bool never = false; // the connection is kept open and nothing is ever sent
};

class FakeArchive : public QObject
{
public:
    FakeArchive();

    quint16 port() const { return m_server.serverPort(); }
    QString address() const;

    // Items a search whose q holds `term` finds, in order; each doc at least has "identifier".
    void addSearch(const QString& term, const QList<QJsonObject>& docs) { m_searches.insert(term, docs); }
    // The /metadata answer of one identifier.
    void addItem(const QString& identifier, const QJsonObject& metadata)
    {
        m_items.insert(identifier, metadata);
    }
    // Bytes of a file under /download/{identifier}/{name} (answered through a 302).
    void addFile(const QString& identifier, const QString& name, const QByteArray& bytes)
    {
        m_files.insert(identifier + u'/' + name, bytes);
    }
    // Answers every request first, when it gives an answer.
    std::function<std::optional<FakeAnswer>(const FakeRequest&)> fault;
    // Answers after this many ms.
    int delayMs = 0;

    QList<FakeRequest> requests; // every request, in the order they came

    static FakeAnswer json(const QJsonObject& object);

private:
    void onConnection();
    FakeAnswer answer(const FakeRequest& request) const;
    FakeAnswer fileAnswer(const FakeRequest& request) const;

    QHash<QObject*, QByteArray> m_inputs; // what each connection sent so far; outlives the sockets
    QTcpServer m_server;
    QHash<QString, QList<QJsonObject>> m_searches;
    QHash<QString, QJsonObject> m_items;
    QHash<QString, QByteArray> m_files;
};

} // namespace Qorvin::LocalService::Test
