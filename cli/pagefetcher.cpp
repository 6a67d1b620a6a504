// SPDX-License-Identifier: MIT
#include "cli/pagefetcher.h"

#include <QNetworkReply>
#include <QNetworkRequest>

namespace Qorvin::Cli {

namespace {

// A page without a byte for this long counts as a failed try.
constexpr int DefaultStallTimeoutMs = 20000;

bool isUnreachable(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::ProxyAuthenticationRequiredError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::UnknownProxyError:
        return true;
    default:
        return false;
    }
}

} // namespace

PageFetcher::PageFetcher(QObject* parent) : QObject(parent), m_network(this)
{
    m_network.setTransferTimeout(DefaultStallTimeoutMs);
    m_network.setAutoDeleteReplies(true);
    m_retryTimer.setSingleShot(true);
    connect(&m_retryTimer, &QTimer::timeout, this, &PageFetcher::startTry);
    connect(&m_network, &QNetworkAccessManager::finished, this, &PageFetcher::onReplyFinished);
}

void PageFetcher::fetch(const QUrl& url)
{
    cancel();
    m_url = url;
    m_triesLeft = 1 + Retries;
    startTry();
}

void PageFetcher::cancel()
{
    m_retryTimer.stop();
    m_triesLeft = 0;
    if (m_reply) {
        QNetworkReply* reply = m_reply;
        m_reply = nullptr;
        reply->abort(); // finishes at once; onReplyFinished no longer knows it
    }
}

void PageFetcher::startTry()
{
    --m_triesLeft;
    QNetworkRequest request(m_url);
    m_reply = m_network.get(request);
}

void PageFetcher::onReplyFinished(QNetworkReply* reply)
{
    if (reply != m_reply)
        return;
    m_reply = nullptr;

    FetchedPage page;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    page.body = reply->readAll();
    page.contentType = reply->header(QNetworkRequest::ContentTypeHeader).toByteArray();
    // A whole answer is a page, whatever its status; a server error may be passing, so it is
    // tried again, as is a connection that broke or stalled, before or after the head.
    // (An error beside a status below 400 is a transfer that broke after the head.)
    const bool clientErrorStatus = status >= 400 && status < 500;
    page.ok = clientErrorStatus || (status != 0 && status < 400 && reply->error() == QNetworkReply::NoError);
    if (!page.ok) {
        page.errorString = reply->errorString();
        page.unreachable = status == 0 && isUnreachable(reply->error());
        if (m_triesLeft > 0) {
            m_retryTimer.start(RetryDelayMs);
            return;
        }
    }
    emit finished(page);
}

} // namespace Qorvin::Cli
