// SPDX-License-Identifier: MIT
// The text primitives the scrapers are written in: exact, case-sensitive searches with 1-based
// positions and cuts that fail on a negative length (the trim is trimspaces.h).
#pragma once

#include "crawlstate/crawlstate.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace Qorvin::TextOps {

// 1-based position of the first occurrence of marker in text, 0 when it does not occur.
// Positions and lengths count UTF-16 code units.
qsizetype find(QStringView text, QStringView marker);

// The first n characters (the whole text when n is larger); nothing for a negative n.
std::optional<QStringView> keepFirst(QStringView text, qsizetype n);

// The last n characters (the whole text when n is larger); nothing for a negative n.
std::optional<QStringView> keepLast(QStringView text, qsizetype n);

bool contains(QStringView text, QStringView marker);

// Cuts the working text to its last n characters; false, with the text unchanged, for a negative n.
bool keepLastOf(WorkingText& text, qsizetype n);

} // namespace Qorvin::TextOps
