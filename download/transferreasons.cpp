// SPDX-License-Identifier: MIT
#include "download/transferreasons.h"

#include <QNetworkRequest>

namespace Qorvin {

bool isTransientStatus(int status)
{
    return status == 408 || status == 429 || (status >= 500 && status <= 599);
}

bool isTransientError(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::TimeoutError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyConnectionClosedError:
    case QNetworkReply::ProxyTimeoutError:
    case QNetworkReply::UnknownNetworkError:
    case QNetworkReply::UnknownProxyError:
    case QNetworkReply::UnknownServerError:
        return true;
    default:
        return false;
    }
}

QString networkErrorReason(QNetworkReply::NetworkError error, const QUrl& url, const QString& detail)
{
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::ProxyConnectionRefusedError:
        return QStringLiteral("服务器拒绝连接（%1）").arg(url.host());
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::ProxyConnectionClosedError:
        return QStringLiteral("连接中断（%1）").arg(url.host());
    case QNetworkReply::TimeoutError:
    case QNetworkReply::ProxyTimeoutError:
        return QStringLiteral("连接超时（%1）").arg(url.host());
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::ProxyNotFoundError:
        return QStringLiteral("找不到服务器 %1").arg(url.host());
    case QNetworkReply::TooManyRedirectsError:
        return QStringLiteral("重定向超过 %1 次").arg(MaxRedirects);
    case QNetworkReply::InsecureRedirectError:
        return QStringLiteral("服务器重定向到了不安全的地址");
    case QNetworkReply::ProtocolUnknownError:
        return QStringLiteral("不支持的地址：%1").arg(url.toString());
    default:
        return QStringLiteral("网络错误：%1").arg(detail);
    }
}

QString statusReason(int status)
{
    if (status == 404 || status == 410)
        return QStringLiteral("服务器上没有这个文件（HTTP %1）").arg(status);
    if (status == 401 || status == 403)
        return QStringLiteral("服务器拒绝访问（HTTP %1）").arg(status);
    if (status >= 500)
        return QStringLiteral("服务器出错（HTTP %1）").arg(status);
    if (status == 408 || status == 429)
        return QStringLiteral("服务器繁忙（HTTP %1）").arg(status);
    return QStringLiteral("服务器的回答无法使用（HTTP %1）").arg(status);
}

QUrl failedAddress(const QNetworkReply* reply)
{
    const QUrl location = reply->header(QNetworkRequest::LocationHeader).toUrl();
    return location.isValid() ? reply->url().resolved(location) : reply->url();
}

} // namespace Qorvin
