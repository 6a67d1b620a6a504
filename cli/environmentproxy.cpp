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

// An HTTP proxy from its variable's text; no proxy when the text names none or another kind.
QNetworkProxy httpProxyOf(const QByteArray& value)
{
    const QByteArray text = value.trimmed();
    if (text.isEmpty())
        return QNetworkProxy(QNetworkProxy::NoProxy);
    const QUrl url = QUrl::fromEncoded(text.contains("://") ? text : "http://" + text, QUrl::TolerantMode);
    if (!url.isValid() || url.host().isEmpty() || url.scheme() != QLatin1String("http"))
        return QNetworkProxy(QNetworkProxy::NoProxy);
    return QNetworkProxy(QNetworkProxy::HttpProxy, url.host(),
                         static_cast<quint16>(url.port(DefaultProxyPort)), url.userName(), url.password());
}

} // namespace

EnvironmentProxyFactory::EnvironmentProxyFactory(const QByteArray& httpProxy, const QByteArray& noProxy,
                                                 const QByteArray& httpsProxy)
    : m_proxy(httpProxyOf(httpProxy)), m_httpsProxy(httpProxyOf(httpsProxy))
{
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
                                       environmentValue("no_proxy", "NO_PROXY"),
                                       environmentValue("https_proxy", "HTTPS_PROXY"));
}

QList<QNetworkProxy> EnvironmentProxyFactory::queryProxy(const QNetworkProxyQuery& query)
{
    const QString protocol = query.protocolTag();
    const QNetworkProxy& proxy = protocol == QLatin1String("http")    ? m_proxy
                                 : protocol == QLatin1String("https") ? m_httpsProxy
                                                                      : QNetworkProxy(QNetworkProxy::NoProxy);
    if (proxy.type() != QNetworkProxy::HttpProxy || bypasses(query.peerHostName().toLower()))
        return {QNetworkProxy(QNetworkProxy::NoProxy)};
    return {proxy};
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
