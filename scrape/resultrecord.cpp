// SPDX-License-Identifier: MIT
#include "scrape/resultrecord.h"

#include "base/trimspaces.h"
#include "scrape/scrapetext.h"
#include "scrape/textops.h"

namespace Qorvin {

using namespace ScrapeText;

ResultRecordReader::ResultRecordReader()
    : m_record(RecordMarker), m_linkEnd(LinkEnd), m_anchorEnd(AnchorEnd), m_titleEnd(TitleEnd)
{
}

std::optional<ResultRecord> ResultRecordReader::read(WorkingText& text)
{
    // The link starts two characters beyond the marker's end: the page puts a blank pair there.
    const qsizetype recordAt = m_record.find(text);
    if (!TextOps::keepLastOf(text, text.length() - recordAt - 6))
        return std::nullopt;

    // The link keeps the one character after ".mp3"; the trim drops it only when it is a blank.
    ResultRecord record;
    const qsizetype linkEndAt = m_linkEnd.find(text);
    record.link = trimSpaces(*TextOps::keepFirst(text.view(), linkEndAt + 4)).toString();

    // Without the anchor tag only the first six characters go.
    const qsizetype anchorAt = m_anchorEnd.find(text);
    if (!TextOps::keepLastOf(text, text.length() - anchorAt - 6))
        return std::nullopt;

    const auto title = TextOps::keepFirst(text.view(), m_titleEnd.find(text) - 1);
    if (!title)
        return std::nullopt;
    record.title = title->toString();
    return record;
}

QString songNameOf(const QString& title, LeadingSeparator leading)
{
    const qsizetype separatorAt = TextOps::find(title, NameSeparator);
    const bool wholeTitle =
        separatorAt == 0 || (separatorAt == 1 && leading == LeadingSeparator::GivesWholeTitle);
    if (wholeTitle)
        return trimSpaces(title).toString();
    return trimSpaces(QStringView(title).first(separatorAt - 1)).toString();
}

bool isRefused(const ResultRecord& record)
{
    return TextOps::contains(record.link, RefusedLinkMarker) || record.link.isEmpty() ||
           record.title.isEmpty();
}

} // namespace Qorvin
