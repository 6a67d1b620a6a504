// SPDX-License-Identifier: MIT
// Every host name and fixed address the program and its local stand-in service use.
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

} // namespace Qorvin
