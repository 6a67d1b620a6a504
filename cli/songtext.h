// SPDX-License-Identifier: MIT
// A found song as a reader of the result page sees it.
#pragma once

#include <QString>

namespace Qorvin::Cli {

// The title as plain text: tags removed, character references decoded.
QString songTitleText(const QString& title);

// The address the song's link points to: its character references decoded, as a browser reads
// an href.
QString songLinkAddress(const QString& link);

} // namespace Qorvin::Cli
