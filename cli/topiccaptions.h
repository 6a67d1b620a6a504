// SPDX-License-Identifier: MIT
// The topics as a user names them on the command line: by their menu captions.
#pragma once

#include "search/topictable.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace Qorvin::Cli {

// The twelve captions in menu order, without the blanks some of them end in.
QStringList topicCaptions();

// The topic whose caption is text; blanks around either side are ignored. Empty when none is.
std::optional<TopicEntry> topicByCaption(const QString& text);

} // namespace Qorvin::Cli
