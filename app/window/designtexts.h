// SPDX-License-Identifier: MIT
// The window's own texts: captions, tool tips and the texts its boxes start with.
#pragma once

#include "crawlstate/queryurl.h"

#include <QString>

namespace Qorvin::DesignText {

// frmMain; the version is the project's (project(VERSION) in CMake)
inline QString windowCaption()
{
    return QStringLiteral("MP3 Qorvin v" QORVIN_VERSION);
}
// Label9
inline QString forumLinkCaption()
{
    return QStringLiteral("Tavrel软件论坛");
}
// Label7
inline QString returnCaption()
{
    return QStringLiteral("返回搜索主页");
}
// Label1
inline QString titleCaption()
{
    return QStringLiteral("MP3Qorvin");
}
// Label2; the blank inside is U+3000
inline QString inputHintCaption()
{
    return QStringLiteral("请输入如'Dalvesh'、'老歌　精选'等词开始搜索");
}
// Image4
inline QString topicMenuToolTip()
{
    return QStringLiteral("选择搜索歌曲专题");
}
// Label4
inline QString countCaption()
{
    return QStringLiteral("搜索歌曲结果数量：");
}
// TextCount1
inline QString defaultCountText()
{
    return QStringLiteral("30");
}
// StatusBar1, panel 1: text and tool tip
inline QString statusBarWelcome()
{
    return QStringLiteral("MP3Qorvin - 搜索您的终极目标!直接返回MP3下载链接!");
}
// Label3, the credit line under the keyword panel: the maker and its site's host.
inline QString creditCaption()
{
    return makerSiteName() + QStringLiteral("出品 ") + makerHost();
}
// Label5, the notice on the banner; a click on it opens the maker's site.
inline QString bannerNotice()
{
    return QStringLiteral("MP3 Qorvin 为您搜索网络上的MP3直接下载链接 — 欢迎访问 ") + makerHost();
}
// Text1, the hidden working text box: the text it starts with
inline QString workingTextDesignText()
{
    return QStringLiteral("Text1\r\n");
}

} // namespace Qorvin::DesignText
