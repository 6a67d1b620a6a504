// SPDX-License-Identifier: MIT
// Reading one record of a result page, the part the search result scraper and the target link
// locator share.
#pragma once

#include "crawlstate/crawlstate.h"
#include "scrape/markerfinder.h"

#include <QString>

#include <optional>

namespace Qorvin {

struct ResultRecord
{
    QString link;  // through ".mp3" and the one character after it, trimmed
    QString title; // the anchor's text, untrimmed
};

// How a title whose first character is the separator names its song.
enum class LeadingSeparator
{
    GivesEmptyName,
    GivesWholeTitle
};

class ResultRecordReader
{
public:
    ResultRecordReader();

    bool hasRecord(const WorkingText& text) { return m_record.find(text) != 0; }

    // Cuts Text1 past the record marker and past the title's anchor tag and reads the link and
    // the title. Nothing when a cut would keep a negative length or the title has no end; the
    // cuts made before that stay.
    std::optional<ResultRecord> read(WorkingText& text);

private:
    MarkerFinder m_record;
    MarkerFinder m_linkEnd;
    MarkerFinder m_anchorEnd;
    MarkerFinder m_titleEnd;
};

// Songs are told apart by the part of the title before the first separator.
QString songNameOf(const QString& title, LeadingSeparator leading);

// A link that is empty or only points elsewhere, or a record without a title, is never taken.
bool isRefused(const ResultRecord& record);

} // namespace Qorvin
