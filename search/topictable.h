// SPDX-License-Identifier: MIT
// The twelve topic lists of the topic menu (LabelTitle) and where the list host serves them.
#pragma once

#include <QString>

#include <optional>
#include <vector>

namespace Qorvin {

struct TopicEntry
{
    int index = 0;           // the LabelTitle element's index
    QString caption;         // the label's caption as designed, blanks included
    QString pathAndFragment; // on the list host
};

const std::vector<TopicEntry>& topicTable();

// Empty for an index no label carries (9, or outside 0-12).
std::optional<TopicEntry> topicEntry(int index);

// "http://", the list host, then the entry's path and fragment.
QString topicListUrl(const TopicEntry& entry);

} // namespace Qorvin
