// SPDX-License-Identifier: MIT
// The proxy a script names in its environment, as curl and wget read it: http_proxy for plain
// HTTP, https_proxy for HTTPS, with the hosts in no_proxy reached directly. Read without asking the desktop's
// proxy settings, which cost a program that runs for a tenth of a second more than its pages do.
#pragma once

#include <QByteArray>
#include <QNetworkProxy>
#include <QNetworkProxyFactory>

namespace Qorvin::Cli {

class EnvironmentProxyFactory : public QNetworkProxyFactory
{
public:
    // httpProxy and httpsProxy: "http://[user:password@]host[:port]" (the scheme may be left out;
    // port 1080 when none is given, as curl takes it); empty for none. noProxy: host names
    // separated by commas, each matching itself and its subdomains, or "*" for every host.
    EnvironmentProxyFactory(const QByteArray& httpProxy, const QByteArray& noProxy,
                            const QByteArray& httpsProxy = {});

    // From the http_proxy, https_proxy and no_proxy variables (their upper-case forms when the
    // lower-case ones are not set).
    static EnvironmentProxyFactory* fromEnvironment();

    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery& query) override;

    bool hasProxy() const { return m_proxy.type() == QNetworkProxy::HttpProxy; }

private:
    bool bypasses(const QString& host) const;

    QNetworkProxy m_proxy{QNetworkProxy::NoProxy};
    QNetworkProxy m_httpsProxy{QNetworkProxy::NoProxy}; // reached with CONNECT
    QStringList m_noProxy;
};

} // namespace Qorvin::Cli
