// SPDX-License-Identifier: MIT
#include "crawlstate/queryurl.h"

namespace Qorvin {

QString queryPrefix()
{
    return QStringLiteral("http://") + searchHost() +
           QStringLiteral("/m?z=0&cl=3&ct=134217728&sn=&lm=0&cm=1&sc=1&bu=&rn=30&tn=baidump3&word=");
}

QString keywordQueryUrl(const QString& keyword)
{
    return queryPrefix() + keyword + QStringLiteral("&pn=");
}

QString firstResultPageUrl(const QString& keyword)
{
    return keywordQueryUrl(keyword) + QStringLiteral("0");
}

QString resultPageUrl(const QString& queryUrl, qint16 pageOffset)
{
    return queryUrl + QString::number(pageOffset);
}

QString intermediatePageUrl()
{
    return makerHomeUrl();
}

} // namespace Qorvin
