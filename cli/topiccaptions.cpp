// SPDX-License-Identifier: MIT
#include "cli/topiccaptions.h"

namespace Qorvin::Cli {

QStringList topicCaptions()
{
    QStringList captions;
    for (const TopicEntry& entry : topicTable())
        captions.append(entry.caption.trimmed());
    return captions;
}

std::optional<TopicEntry> topicByCaption(const QString& text)
{
    const QString wanted = text.trimmed();
    for (const TopicEntry& entry : topicTable()) {
        if (entry.caption.trimmed() == wanted)
            return entry;
    }
    return std::nullopt;
}

} // namespace Qorvin::Cli
