// SPDX-License-Identifier: MIT
// What the queue tests share: the local service in process, its songs' bytes and file checks.
#pragma once

#include "download/downloaditem.h"
#include "download/downloadqueue.h"
#include "download/downloadtiming.h"
#include "localservice/localserver.h"
#include "tests/filecontents.h"

#include <QCryptographicHash>
#include <QEventLoop>
#include <QFile>
#include <QHash>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>

#include <functional>
#include <memory>

namespace Qorvin::Test {

// The queue's waits cut short so that retries and saves happen within a test's patience; a stall
// counts after stallTimeoutMs.
inline DownloadTiming fastTiming(int stallTimeoutMs)
{
    DownloadTiming timing;
    timing.stallTimeoutMs = stallTimeoutMs;
    timing.retryDelaysMs = {10, 20, 40};
    timing.saveDelayMs = 50;
    timing.progressIntervalMs = 50;
    return timing;
}

// A queue with the short waits, keeping its store under folder.
inline std::unique_ptr<DownloadQueue> makeTestQueue(QNetworkAccessManager& network, const QString& folder,
                                                    int stallTimeoutMs)
{
    auto queue = std::make_unique<DownloadQueue>(&network);
    queue->setTiming(fastTiming(stallTimeoutMs));
    queue->setStorePath(folder + QStringLiteral("/store/downloads.json"));
    return queue;
}

inline QString songHref(quint16 port, int songId, const QString& mirror = QStringLiteral("mirror1"))
{
    return QStringLiteral("http://127.0.0.1:%1/%2/%3.mp3").arg(port).arg(mirror).arg(songId);
}

inline DownloadRequest songLink(quint16 port, int songId, const QString& title)
{
    return {QUrl(songHref(port, songId)), title};
}

// Adds the songs as one batch and returns their item ids, in order.
inline QList<int> addBatch(DownloadQueue& queue, const QList<DownloadRequest>& songs, const QString& folder,
                           const QString& keyword)
{
    const int batchId = queue.add(songs, folder, keyword);
    QList<int> ids;
    for (const DownloadItem& item : queue.items()) {
        if (item.batchId == batchId)
            ids.append(item.id);
    }
    return ids;
}

// The whole file as the service serves it, fetched in one plain request.
inline QByteArray serviceBytes(QNetworkAccessManager& network, const QString& url)
{
    QNetworkRequest request{QUrl(url)};
    request.setRawHeader("Accept-Encoding", "identity");
    QNetworkReply* reply = network.get(request);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    reply->deleteLater();
    return reply->error() == QNetworkReply::NoError ? reply->readAll() : QByteArray();
}

inline QByteArray sha256(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

inline QByteArray fileSha256(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result().toHex();
}

// A server whose every answer is written by the test: answer(n, request line) gives the whole
// response to the nth request (from 1); the connection closes after it.
class ScriptedServer : public QTcpServer
{
public:
    using Script = std::function<QByteArray(int number, const QByteArray& requestLine)>;

    explicit ScriptedServer(Script script) : m_script(std::move(script))
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    m_buffers[socket] += socket->readAll();
                    if (!m_buffers[socket].contains("\r\n\r\n"))
                        return;
                    const QByteArray line = m_buffers.take(socket).split('\r').value(0);
                    socket->write(m_script(++m_requests, line));
                    socket->disconnectFromHost();
                });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }

    int requests() const { return m_requests; }

private:
    Script m_script;
    QHash<QTcpSocket*, QByteArray> m_buffers;
    int m_requests = 0;
};

} // namespace Qorvin::Test
