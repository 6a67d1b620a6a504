// SPDX-License-Identifier: MIT
// Fetches one page at a time over one kept-alive connection, through http_proxy, trying a
// failed page twice more before it gives up on it.
#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

class QNetworkReply;

namespace Qorvin::Cli {

struct FetchedPage
{
    bool ok = false;
    QByteArray body;        // what the server sent, an error status's page included
    QByteArray contentType; // the Content-Type header
    // Set when the last try failed to reach the service at all (no proxy, no host, connection
    // refused): the network is unusable, rather than one page bad.
    bool unreachable = false;
    QString errorString;
};

class PageFetcher : public QObject
{
    Q_OBJECT

public:
    static constexpr int Retries = 2;

    explicit PageFetcher(QObject* parent = nullptr);

    // Starts fetching url; a fetch still running is dropped and reports nothing.
    void fetch(const QUrl& url);
    void cancel();

signals:
    void finished(const Qorvin::Cli::FetchedPage& page);

private:
    void startTry();
    void onReplyFinished(QNetworkReply* reply);

    QNetworkAccessManager m_network;
    QPointer<QNetworkReply> m_reply;
    QTimer m_retryTimer;
    QUrl m_url;
    int m_triesLeft = 0;
    static constexpr int RetryDelayMs = 300;
};

} // namespace Qorvin::Cli
