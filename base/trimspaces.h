// SPDX-License-Identifier: MIT
// The trim of keywords, captions and scraped text: blanks only.
#pragma once

#include <QStringView>

namespace Qorvin {

// text without its leading and trailing U+0020; tabs, line breaks and U+3000 stay.
QStringView trimSpaces(QStringView text);

} // namespace Qorvin
