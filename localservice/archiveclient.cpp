// SPDX-License-Identifier: MIT
#include "localservice/archiveclient.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslSocket>

namespace Qorvin::LocalService {

using namespace Qt::StringLiterals;

namespace {

const QByteArray UserAgent =
    QByteArrayLiteral("mp3qorvin-service/" QORVIN_VERSION " (MP3 Qorvin, a desktop MP3 search program)");

// Set on a reply that this client ended itself, so that the reason is its own and not "canceled".
const char* const FailureProperty = "qorvinFailure";
const char* const UnreachableProperty = "qorvinUnreachable";

// Errors that mean the Archive was never reached.
bool isConnectFailure(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::TimeoutError:
    case QNetworkReply::SslHandshakeFailedError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::ProxyTimeoutError:
    case QNetworkReply::UnknownNetworkError:
        return true;
    default:
        return false;
    }
}

QString reasonOf(QNetworkReply* reply)
{
    switch (reply->error()) {
    case QNetworkReply::ConnectionRefusedError:
        return u"连接被拒绝"_s;
    case QNetworkReply::HostNotFoundError:
        return u"找不到主机 "_s + reply->url().host();
    case QNetworkReply::SslHandshakeFailedError:
        return u"TLS握手失败（"_s + reply->errorString() + u"）"_s;
    case QNetworkReply::RemoteHostClosedError:
        return u"对方关闭了连接"_s;
    default:
        return u"网络错误（"_s + reply->errorString() + u"）"_s;
    }
}

// Retry-After in seconds or as an HTTP date; 1 s when it says nothing usable.
qint64 retryAfterMs(const QByteArray& value, int maxSeconds)
{
    bool isNumber = false;
    qint64 seconds = value.trimmed().toLongLong(&isNumber);
    if (!isNumber) {
        const QDateTime when = QDateTime::fromString(QString::fromLatin1(value.trimmed()), Qt::RFC2822Date);
        seconds = when.isValid() ? QDateTime::currentDateTimeUtc().secsTo(when) : 1;
    }
    return qBound(qint64(0), seconds, qint64(maxSeconds)) * 1000;
}

std::optional<QJsonObject> jsonObjectOf(const QByteArray& body, QString* error)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        *error = u"回答不是有效的JSON"_s;
        return std::nullopt;
    }
    if (!document.isObject()) {
        *error = u"回答的结构不对"_s;
        return std::nullopt;
    }
    return document.object();
}

} // namespace

ArchiveClient::ArchiveClient(const ArchiveOptions& options, QObject* parent)
    : QObject(parent), m_options(options),
      m_cache(options.cacheFolder, options.cacheBytes, options.cacheMaxAgeSeconds)
{
    // Only the configured address is ever asked: a redirect elsewhere is not followed.
    m_network.setRedirectPolicy(QNetworkRequest::SameOriginRedirectPolicy);
    m_holdTimer.setSingleShot(true);
    connect(&m_holdTimer, &QTimer::timeout, this, &ArchiveClient::startWaiting);
    if (m_options.address.scheme() == u"https" && !QSslSocket::supportsSsl())
        m_tlsProblem = u"没有可用的TLS后端，无法使用https（请安装 libssl3）"_s;
}

bool ArchiveClient::unreachableNow() const
{
    return m_unreachableSince.isValid() && m_unreachableSince.elapsed() < m_options.unreachableQuietMs;
}

void ArchiveClient::answerLater(Done done, ArchiveAnswer answer)
{
    QMetaObject::invokeMethod(
        this, [done = std::move(done), answer = std::move(answer)] { done(answer); }, Qt::QueuedConnection);
}

ArchiveAnswer ArchiveClient::failure(const QUrl& address, const QString& reason, bool unreachable) const
{
    // An answer older than a day is better than none.
    if (const auto stale = m_cache.find(address)) {
        QString ignored;
        if (auto json = jsonObjectOf(stale->body, &ignored))
            return ArchiveAnswer{std::move(json), {}, false};
    }
    return ArchiveAnswer{std::nullopt, reason, unreachable};
}

void ArchiveClient::get(const QUrl& address, Done done)
{
    if (const auto kept = m_cache.find(address); kept && kept->fresh) {
        QString ignored;
        if (auto json = jsonObjectOf(kept->body, &ignored)) {
            answerLater(std::move(done), ArchiveAnswer{std::move(json), {}});
            return;
        }
    }
    if (!m_tlsProblem.isEmpty()) {
        answerLater(std::move(done), failure(address, m_tlsProblem, true));
        return;
    }
    if (unreachableNow()) {
        answerLater(std::move(done), failure(address, m_unreachableReason, true));
        return;
    }
    auto waiting = m_waiting.find(address);
    if (waiting != m_waiting.end()) {
        waiting->append(std::move(done));
        return;
    }
    m_waiting.insert(address, {std::move(done)});
    m_queue.push_back(Queued{address, 0});
    startWaiting();
}

void ArchiveClient::startWaiting()
{
    if (m_holdClock.isValid() && m_holdClock.elapsed() < m_holdMs) {
        m_holdTimer.start(int(m_holdMs - m_holdClock.elapsed()) + 1);
        return;
    }
    while (m_inFlight < m_options.maxInFlight && !m_queue.empty()) {
        const Queued next = m_queue.front();
        m_queue.pop_front();
        start(next);
    }
}

void ArchiveClient::start(const Queued& queued)
{
    QNetworkRequest request(queued.address);
    request.setHeader(QNetworkRequest::UserAgentHeader, UserAgent);
    request.setRawHeader("Accept", "application/json");
    QNetworkReply* reply = m_network.get(request);
    ++m_inFlight;

    const auto endWith = [reply](const QString& reason, bool unreachable) {
        if (!reply->property(FailureProperty).isValid()) {
            reply->setProperty(FailureProperty, reason);
            reply->setProperty(UnreachableProperty, unreachable);
        }
        reply->abort();
    };
    auto* connectTimer = new QTimer(reply);
    connectTimer->setSingleShot(true);
    connect(connectTimer, &QTimer::timeout, reply, [endWith] { endWith(u"连接超时"_s, true); });
    connect(reply, &QNetworkReply::requestSent, connectTimer, &QTimer::stop);
    connectTimer->start(m_options.connectTimeoutMs);
    auto* answerTimer = new QTimer(reply);
    answerTimer->setSingleShot(true);
    connect(answerTimer, &QTimer::timeout, reply, [endWith] { endWith(u"回答超时"_s, false); });
    answerTimer->start(m_options.answerTimeoutMs);
    connect(reply, &QNetworkReply::downloadProgress, reply,
            [endWith, max = m_options.maxAnswerBytes](qint64 received, qint64 total) {
                if (received > max || total > max)
                    endWith(u"回答超过"_s + QString::number(max / (1024 * 1024)) + u" MB"_s, false);
            });
    connect(reply, &QNetworkReply::finished, this, [this, reply, queued] { onFinished(reply, queued); });
}

void ArchiveClient::onFinished(QNetworkReply* reply, const Queued& queued)
{
    reply->deleteLater();
    --m_inFlight;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    QString reason = reply->property(FailureProperty).toString();
    bool unreachable = reply->property(UnreachableProperty).toBool();
    if (reason.isEmpty() && status == 0 && reply->error() != QNetworkReply::NoError) {
        reason = reasonOf(reply);
        unreachable = isConnectFailure(reply->error());
    }

    if (reason.isEmpty() && (status == 429 || status == 503) && queued.attempt < m_options.busyRetries) {
        // Busy: nothing at all goes out before the time the Archive named.
        const qint64 waitMs = retryAfterMs(reply->rawHeader("Retry-After"), m_options.maxRetryAfterSeconds);
        const qint64 heldFor = m_holdClock.isValid() ? m_holdMs - m_holdClock.elapsed() : 0;
        if (waitMs > heldFor) {
            m_holdClock.start();
            m_holdMs = waitMs;
        }
        m_queue.push_front(Queued{queued.address, queued.attempt + 1});
        startWaiting();
        return;
    }

    if (unreachable) {
        // Everything still queued fails the same way at once, and so does what comes for a while.
        m_unreachableSince.start();
        m_unreachableReason = reason;
        finish(queued.address, failure(queued.address, reason, true));
        while (!m_queue.empty()) {
            const QUrl address = m_queue.front().address;
            m_queue.pop_front();
            finish(address, failure(address, reason, true));
        }
        return;
    }

    ArchiveAnswer answer;
    if (!reason.isEmpty()) {
        answer = failure(queued.address, reason, false);
    } else if (status != 200) {
        answer = failure(queued.address, u"服务器回答 HTTP "_s + QString::number(status), false);
    } else {
        const QByteArray body = reply->readAll();
        answer.json = jsonObjectOf(body, &answer.error);
        if (answer.json)
            m_cache.store(queued.address, body);
    }
    finish(queued.address, answer);
    startWaiting();
}

void ArchiveClient::finish(const QUrl& address, const ArchiveAnswer& answer)
{
    const QList<Done> waiting = m_waiting.take(address);
    for (const Done& done : waiting)
        done(answer);
}

} // namespace Qorvin::LocalService
