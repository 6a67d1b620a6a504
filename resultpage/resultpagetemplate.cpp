// SPDX-License-Identifier: MIT
// Every space of these lines is part of the page; none of them is ever trimmed or re-indented.
#include "resultpage/resultpagetemplate.h"

namespace Qorvin::ResultPageTemplate {

// clang-format off
// Lines 1-121: head, both style blocks, the centring wrappers and the notice table up to its maker line.
const std::array<QStringView, 121> linesBeforeMaker = {
    u"<html>",
    u"<head>",
    u"<meta http-equiv='Content-Language' content='zh-cn'>",
    u"<meta http-equiv='Content-Type' content='text/html; charset=gb2312'>",
    u"<meta name='GENERATOR' content='Microsoft FrontPage 4.0'>",
    u"<meta name='ProgId' content='FrontPage.Editor.Document'>",
    u"<style type='text/css'>",
    u"<!-- ",
    u"A:link {color: #0000FF}",
    u"A:visited {color: #0000FF}",
    u"A:active {color:#0000FF}",
    u"A:hover {color: #FF0000}",
    u"-->",
    u"</style>",
    u"<STYLE type=text/css>",
    u"A.nav {",
    u" BORDER-RIGHT: black 1pt solid; PADDING-RIGHT: 12px; BORDER-TOP: black 1pt solid; PADDING-LEFT: 12px;",
    u"FONT-SIZE: 12px; MARGIN-BOTTOM: 1pt; BORDER-LEFT: black 1pt solid; COLOR: #000000; PADDING-TOP: 4px; ",
    u"HEIGHT: 20px; BACKGROUND-COLOR: #d2d1cd; TEXT-ALIGN: center; TEXT-DECORATION: none",
    u"}",
    u"A.nav:hover {",
    u" MARGIN-BOTTOM: 0pt; COLOR: #000000; HEIGHT: 21px; BACKGROUND-COLOR: #ffffff",
    u"}",
    u".t {",
    u" PADDING-LEFT: 10px; BORDER-BOTTOM: #e1e1e1 1px solid; HEIGHT: 28px",
    u"}",
    u".d {",
    u" TABLE-LAYOUT: fixed; PADDING-LEFT: 10px; FONT-SIZE: 14px; WORD-BREAK: break-all; BORDER-BOTTOM: #e1e1e1 1px solid; HEIGHT: 28px",
    u"}",
    u".blank {",
    u" MARGIN-BOTTOM: 0pt; HEIGHT: 21px",
    u"}",
    u".BlueBG {",
    u" BACKGROUND-COLOR: #ddedf4",
    u"}",
    u".actTab {",
    u" BORDER-RIGHT: black 1pt solid; PADDING-RIGHT: 12px; BORDER-TOP: black 1pt solid; PADDING-LEFT: 12px; FONT-SIZE: 12px; MARGIN-BOTTOM: 0pt; BORDER-LEFT: black 1pt solid; COLOR: #000000; PADDING-TOP: 4px; HEIGHT: 21px; BACKGROUND-COLOR: #ffffff; TEXT-ALIGN: center; TEXT-DECORATION: none",
    u"}",
    u"BODY {",
    u" FONT-SIZE: 12px",
    u"}",
    u"TD {",
    u" FONT-SIZE: 12px",
    u"}",
    u"INPUT {",
    u" FONT-SIZE: 12px",
    u"}",
    u".line19 {",
    u" LINE-HEIGHT: 19px",
    u"}",
    u".input01 {",
    u" BORDER-RIGHT: 1px ridge; BORDER-TOP: #ffffff 1px ridge; PADDING-LEFT: 2px; FONT-SIZE: 12px; BORDER-LEFT: #ffffff 1px ridge; WIDTH: 55px; COLOR: #000000; PADDING-TOP: 3px; BORDER-BOTTOM: 1px ridge; HEIGHT: 22px; BACKGROUND-COLOR: #ffc600",
    u"}",
    u".noline {",
    u" TEXT-DECORATION: none",
    u"}",
    u".noline:link {",
    u" TEXT-DECORATION: none",
    u"}",
    u".noline:visited {",
    u" TEXT-DECORATION: none",
    u"}",
    u".noline:hover {",
    u" TEXT-DECORATION: underline",
    u"}",
    u".14 {",
    u" FONT-SIZE: 14px",
    u"}",
    u".key {",
    u" COLOR: #cc3300",
    u"}",
    u".box1 {",
    u" BORDER-BOTTOM: #afaeae 1px solid",
    u"}",
    u".box2 {",
    u" BORDER-RIGHT: #afaeae 1px solid",
    u"}",
    u".box3 {",
    u" BORDER-TOP: #afaeae 1px solid; BORDER-BOTTOM: #afaeae 1px solid",
    u"}",
    u"A.subnav:link {",
    u" BORDER-RIGHT: #afaeae 1px solid; PADDING-RIGHT: 15px; PADDING-LEFT: 15px; FONT-SIZE: 12px; COLOR: #000000; PADDING-TOP: 5px; BORDER-BOTTOM: #afaeae 1px solid; HEIGHT: 22px; BACKGROUND-COLOR: #efefef; TEXT-ALIGN: center; TEXT-DECORATION: none",
    u"}",
    u"A.subnav:visited {",
    u" BORDER-RIGHT: #afaeae 1px solid; PADDING-RIGHT: 15px; PADDING-LEFT: 15px; FONT-SIZE: 12px; COLOR: #000000; PADDING-TOP: 5px; BORDER-BOTTOM: #afaeae 1px solid; HEIGHT: 22px; BACKGROUND-COLOR: #efefef; TEXT-ALIGN: center; TEXT-DECORATION: none",
    u"}",
    u"A.subnav:hover {",
    u" BORDER-BOTTOM: #ecf5ff 1px solid; BACKGROUND-COLOR: #ecf5ff",
    u"}",
    u".subact {",
    u" BORDER-RIGHT: #afaeae 1px solid; PADDING-RIGHT: 15px; PADDING-LEFT: 15px; FONT-SIZE: 12px; COLOR: #000000; PADDING-TOP: 5px; HEIGHT: 22px; BACKGROUND-COLOR: #ecf5ff; TEXT-ALIGN: center; TEXT-DECORATION: none",
    u"}",
    u"A.sm {",
    u" WIDTH: 100%; COLOR: #000000; LINE-HEIGHT: 100%; PADDING-TOP: 3px; HEIGHT: 18px; BACKGROUND-COLOR: #d2d1cd; TEXT-DECORATION: none",
    u"}",
    u"A.sm:hover {",
    u" LINE-HEIGHT: 100%; BACKGROUND-COLOR: #ffffff; TEXT-DECORATION: none",
    u"}",
    u".d1 {    TABLE-LAYOUT: fixed; PADDING-LEFT: 10px; FONT-SIZE: 14px; WORD-BREAK: break-all; BORDER-BOTTOM: #e1e1e1 1px solid; HEIGHT: 28px",
    u"}",
    u".style2 {    FONT-WEIGHT: bold; FONT-SIZE: 14px",
    u"}",
    u".style2 {    COLOR: #ff0000",
    u"}",
    u"</STYLE>",
    u"<title>搜索结果</title>",
    u"</head>",
    u"<body>",
    u"<div align='center'>",
    u"                    <center>",
    u"</div>",
    u"                  <div align='center'>",
    u"                    <center>",
    u"                  <TABLE borderColor=#ffffff cellSpacing=0 cellPadding=2 width='85%' ",
    u"bgColor=#ffffff border=0>",
    u"                    <TBODY>",
    u"                      <TR>",
    u"                        <TD noWrap><SPAN class=style2>如果你已安装FlashGet、迅雷等下载工具点击鼠标右键选择'下载全部链接'即可下载所有歌曲！</SPAN> </TD>",
    u"                      </TR>",
    u"                      <TR>",
    u"                        <TD noWrap><FONT style='FONT-SIZE: 12px' ",
};

// Line 122: the maker's home page link and the disclaimer.
const QStringView makerLineStart = u"      color=#666666><a href='";
const QStringView makerLineMiddle = u"'><strong>Power By ";
const QStringView makerLineEnd = u"</strong></a> 以下内容系网络搜索的结果,排列及分类仅为方便使用,本搜索与内容的出处无关!                            </FONT></TD>";

// Lines 123-131: the end of the notice table, the results table and the first cell of its header row.
const std::array<QStringView, 9> linesBeforeKeyword = {
    u"                      </TR>",
    u"                    </TBODY>",
    u"                  </TABLE>",
    u"                  <br>",
    u"                    <TABLE borderColor=#ffffff cellSpacing=0 cellPadding=2 width='85%' ",
    u"bgColor=#ffffff border=0>",
    u"                      <TBODY>",
    u"                        <TR class=BlueBG>",
    u"                          <TD vAlign=top noWrap width=18>&nbsp;</TD>",
};

// Line 132: the header cell that shows the keyword.
const QStringView keywordLineStart = u"                          <TD width='332' noWrap style='PADDING-LEFT: 10px'><B>歌曲名( ";
const QStringView keywordLineEnd = u" )</B></TD>";

// Lines 133-134: the last header cell and the end of the header row.
const std::array<QStringView, 2> linesAfterKeyword = {
    u"                         <TD width=380 noWrap style='PADDING-LEFT: 10px'><strong>链接</strong></TD>",
    u"                        </TR>",
};

// One row per song.
const QStringView rowStart = u"                        <TR>";
const QStringView rowNumberStart = u"                          <TD class=t vAlign=top width=18>";
const QStringView rowNumberEnd = u"</TD>";
const QStringView rowLinkStart = u"                          <TD class=d1 height=28><a href='";
const QStringView rowLinkEnd = u"'> ";
const QStringView rowTitleEnd = u"</a></TD>";
const QStringView rowLinkTextStart = u"                         <TD class=t> ";
const QStringView rowLinkTextEnd = u"</TD>";
const QStringView rowEnd = u"                        </TR>";

// After the last row: the results table, one centring wrapper, the body and the document end.
const std::array<QStringView, 6> endLines = {
    u"                      </TBODY>",
    u"                    </TABLE>",
    u"                    </center>",
    u"                  </div>",
    u"</body>",
    u"</html>",
};
// clang-format on

} // namespace Qorvin::ResultPageTemplate
