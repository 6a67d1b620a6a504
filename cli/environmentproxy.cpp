// SPDX-License-Identifier: MIT
#include "cli/environmentproxy.h"

#include <QUrl>

namespace Qorvin::Cli {

namespace {

constexpr int DefaultProxyPort = 1080;

QByteArray environmentValue(const char* lowerCaseName, const char* upperCaseName)
{
    return qEnvironmentVariableIsSet(lowerCaseName) ? qgetenv(lowerCaseName) : qgetenv(upperCaseName);
}

} // namespace

EnvironmentProxyFactory::EnvironmentProxyFactory(const QByteArray& httpProxy, const QByteArray& noProxy)
{
    const QByteArray text = httpProxy.trimmed();
    if (!text.isEmpty()) {
        const QUrl url =
            QUrl::fromEncoded(text.contains("://") ? text : "http://" + text, QUrl::TolerantMode);
        if (url.isValid() && !url.host().isEmpty() && url.scheme() == QLatin1String("http"))
            m_proxy = QNetworkProxy(QNetworkProxy::HttpProxy, url.host(),
                                    static_cast<quint16>(url.port(DefaultProxyPort)), url.userName(),
                                    url.password());
    }
    for (const QByteArray& entry : noProxy.split(',')) {
        QString host = QString::fromLatin1(entry.trimmed()).toLower();
        if (host.startsWith(u'.'))
            host.remove(0, 1);
        if (!host.isEmpty())
            m_noProxy.append(host);
    }
}

EnvironmentProxyFactory* EnvironmentProxyFactory::fromEnvironment()
{
    return new EnvironmentProxyFactory(environmentValue("http_proxy", "HTTP_PROXY"),
                                       environmentValue("no_proxy", "NO_PROXY"));
}

QList<QNetworkProxy> EnvironmentProxyFactory::queryProxy(const QNetworkProxyQuery& query)
{
    const bool plainHttp = query.protocolTag() == QLatin1String("http");
    if (!plainHttp || !hasProxy() || bypasses(query.peerHostName().toLower()))
        return {QNetworkProxy(QNetworkProxy::NoProxy)};
    return {m_proxy};
}

bool EnvironmentProxyFactory::bypasses(const QString& host) const
{
    for (const QString& entry : m_noProxy) {
        if (entry == u"*" || host == entry || host.endsWith(u'.' + entry))
            return true;
    }
    return false;
}

} // namespace Qorvin::Cli
