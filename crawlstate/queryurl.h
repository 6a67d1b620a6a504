// SPDX-License-Identifier: MIT
// Every host and address the program and its local stand-in service use, and the addresses the
// controller asks the browser for, built as the search service expects them.
#pragma once

#include <QString>

namespace Qorvin {

// The MP3 search service: its search host answers the query URLs, its list host the topic lists.
inline QString searchHost()
{
    return QStringLiteral("mp3.baidu.com");
}
inline QString listHost()
{
    return QStringLiteral("list.mp3.baidu.com");
}

// The maker's web site. The bare host begins with "www." so the shell takes it for a web address.
inline QString makerHost()
{
    return QStringLiteral("www.tavrel.example");
}
inline QString makerHomeUrl()
{
    return QStringLiteral("http://") + makerHost();
}
inline QString makerForumUrl()
{
    return makerHomeUrl() + QStringLiteral("/tavrel/bbs/index.asp");
}
inline QString makerSiteName()
{
    return QStringLiteral("Tavrel软件");
}

// Where the local service's result pages say the MP3 files are.
inline QString musicHost()
{
    return QStringLiteral("music.localservice.example");
}

// "http://", the search host and the fixed query keys up to "word=". The keyword follows
// unescaped: the browser component encodes the string when it sends the request.
QString queryPrefix();

// The running keyword search's QueryUrl: the prefix, the keyword and "&pn=", to which the page
// offset is appended.
QString keywordQueryUrl(const QString& keyword);

// The first result page of a keyword: the prefix, the keyword and "&pn=0".
QString firstResultPageUrl(const QString& keyword);

// A further result page: QueryUrl and the offset in plain decimal digits.
QString resultPageUrl(const QString& queryUrl, qint16 pageOffset);

// The page a topic crawl loads between its list page and its first keyword, only to be told
// when it has loaded.
QString intermediatePageUrl();

} // namespace Qorvin
