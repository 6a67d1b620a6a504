// SPDX-License-Identifier: MIT
// The fixed lines of result.htm. The page is written one line at a time from these pieces; the
// values (keyword, row number, link, title) go in between them exactly where the writer puts them.
#pragma once

#include <QStringView>

#include <array>

namespace Qorvin::ResultPageTemplate {

extern const std::array<QStringView, 121> linesBeforeMaker;
extern const QStringView makerLineStart;
extern const QStringView makerLineMiddle;
extern const QStringView makerLineEnd;
extern const std::array<QStringView, 9> linesBeforeKeyword;
extern const QStringView keywordLineStart;
extern const QStringView keywordLineEnd;
extern const std::array<QStringView, 2> linesAfterKeyword;

extern const QStringView rowStart;
extern const QStringView rowNumberStart;
extern const QStringView rowNumberEnd;
extern const QStringView rowLinkStart;
extern const QStringView rowLinkEnd;
extern const QStringView rowTitleEnd;
extern const QStringView rowLinkTextStart;
extern const QStringView rowLinkTextEnd;
extern const QStringView rowEnd;

extern const std::array<QStringView, 6> endLines;

// Lines before the first row and after the last one; every song adds seven.
inline constexpr int HeadLineCount = 134;
inline constexpr int EndLineCount = 6;
inline constexpr int LinesPerRow = 7;

} // namespace Qorvin::ResultPageTemplate
