// SPDX-License-Identifier: MIT
#pragma once

#include "localservice/archivecache.h"
#include "localservice/archiveoptions.h"

#include <QElapsedTimer>
#include <QHash>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QObject>
#include <QTimer>
#include <QUrl>

#include <deque>
#include <functional>
#include <optional>

class QNetworkReply;

namespace Qorvin::LocalService {

// A JSON answer of the Archive, or why there is none (in Chinese, for the pages).
struct ArchiveAnswer
{
    std::optional<QJsonObject> json;
    QString error;
    bool unreachable = false; // the Archive could not be reached at all
};

// Asks the Archive for JSON, politely: a User-Agent naming the program, a few requests at once,
// Retry-After honoured, timeouts and a size cap, answers kept on disk. After a failure to connect
// it asks nothing for a while and answers at once with the same failure. Two asks for one address
// while it is on its way make one request.
class ArchiveClient : public QObject
{
    Q_OBJECT

public:
    using Done = std::function<void(const ArchiveAnswer&)>;

    explicit ArchiveClient(const ArchiveOptions& options, QObject* parent = nullptr);

    // done is called once, always from the event loop, never inside this call.
    void get(const QUrl& address, Done done);

    // Why no https request can work (no TLS backend), or an empty string.
    QString tlsProblem() const { return m_tlsProblem; }
    const ArchiveOptions& options() const { return m_options; }

private:
    struct Queued
    {
        QUrl address;
        int attempt = 0;
    };

    void startWaiting();
    void start(const Queued& queued);
    void onFinished(QNetworkReply* reply, const Queued& queued);
    void finish(const QUrl& address, const ArchiveAnswer& answer);
    void answerLater(Done done, ArchiveAnswer answer);
    ArchiveAnswer failure(const QUrl& address, const QString& reason, bool unreachable) const;
    bool unreachableNow() const;

    ArchiveOptions m_options;
    ArchiveCache m_cache;
    QNetworkAccessManager m_network;
    QHash<QUrl, QList<Done>> m_waiting; // by address: everyone waiting for it
    std::deque<Queued> m_queue;         // not sent yet
    int m_inFlight = 0;
    QElapsedTimer m_holdClock; // while running, nothing is sent before m_holdMs
    qint64 m_holdMs = 0;
    QTimer m_holdTimer;
    QElapsedTimer m_unreachableSince;
    QString m_unreachableReason;
    QString m_tlsProblem;
};

} // namespace Qorvin::LocalService
