// SPDX-License-Identifier: MIT
// The window asks for its faces as "宋体" and "楷体_GB2312"; they are mapped to the Ming and Kai
// faces of the AR PL fonts, which draw every Chinese text of the program.
#pragma once

#include <QFont>

namespace Qorvin {

// Maps "宋体" to AR PL UMing CN and "楷体_GB2312" to AR PL UKai CN. Safe to call again.
void installFontSubstitutions();

QFont songFont(qreal pointSize, bool bold = false, bool underline = false); // "宋体"
QFont kaiFont(qreal pointSize, bool bold = false);                          // "楷体_GB2312"

// The window's default font: "宋体" at 9 points.
QFont defaultWindowFont();

} // namespace Qorvin
