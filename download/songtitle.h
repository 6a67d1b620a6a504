// SPDX-License-Identifier: MIT
// A result page's song title taken apart: "Name - Singer", "Name - Singer [128K]" or a bare name.
#pragma once

#include <QString>

namespace Qorvin {

struct SongTitleParts
{
    QString name;   // never empty when the title has any text
    QString singer; // empty when the title names none
};

// The name is the part before the first " - ", the singer the part after, both trimmed; a title
// without " - " is all name. A trailing quality mark in brackets ("[128K]", "(320kbps)") belongs to
// neither. A title that begins with " - " ("-Name - Singer" read loosely) keeps its first dash.
SongTitleParts splitSongTitle(const QString& title);

} // namespace Qorvin
