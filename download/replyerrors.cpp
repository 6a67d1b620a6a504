// SPDX-License-Identifier: MIT
#include "download/replyerrors.h"

namespace Qorvin {

QNetworkReply::NetworkError errorOfStatus(int status)
{
    switch (status) {
    case 401:
        return QNetworkReply::AuthenticationRequiredError;
    case 403:
        return QNetworkReply::ContentAccessDenied;
    case 404:
        return QNetworkReply::ContentNotFoundError;
    case 405:
        return QNetworkReply::ContentOperationNotPermittedError;
    case 407:
        return QNetworkReply::ProxyAuthenticationRequiredError;
    case 409:
        return QNetworkReply::ContentConflictError;
    case 410:
        return QNetworkReply::ContentGoneError;
    case 500:
        return QNetworkReply::InternalServerError;
    case 501:
        return QNetworkReply::OperationNotImplementedError;
    case 503:
        return QNetworkReply::ServiceUnavailableError;
    default:
        if (status >= 500)
            return QNetworkReply::UnknownServerError;
        return status >= 400 ? QNetworkReply::UnknownContentError : QNetworkReply::NoError;
    }
}

QNetworkReply::NetworkError errorOfSocket(QAbstractSocket::SocketError error, bool viaProxy)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return viaProxy ? QNetworkReply::ProxyConnectionRefusedError : QNetworkReply::ConnectionRefusedError;
    case QAbstractSocket::HostNotFoundError:
        return viaProxy ? QNetworkReply::ProxyNotFoundError : QNetworkReply::HostNotFoundError;
    case QAbstractSocket::SocketTimeoutError:
        return viaProxy ? QNetworkReply::ProxyTimeoutError : QNetworkReply::TimeoutError;
    case QAbstractSocket::RemoteHostClosedError:
        return viaProxy ? QNetworkReply::ProxyConnectionClosedError : QNetworkReply::RemoteHostClosedError;
    case QAbstractSocket::ProxyConnectionRefusedError:
        return QNetworkReply::ProxyConnectionRefusedError;
    case QAbstractSocket::ProxyConnectionClosedError:
        return QNetworkReply::ProxyConnectionClosedError;
    case QAbstractSocket::ProxyNotFoundError:
        return QNetworkReply::ProxyNotFoundError;
    case QAbstractSocket::ProxyConnectionTimeoutError:
        return QNetworkReply::ProxyTimeoutError;
    case QAbstractSocket::ProxyAuthenticationRequiredError:
        return QNetworkReply::ProxyAuthenticationRequiredError;
    default:
        return QNetworkReply::UnknownNetworkError;
    }
}

} // namespace Qorvin
