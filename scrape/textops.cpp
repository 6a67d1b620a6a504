// SPDX-License-Identifier: MIT
#include "scrape/textops.h"

#include <algorithm>

namespace Qorvin::TextOps {

qsizetype find(QStringView text, QStringView marker)
{
    return text.indexOf(marker) + 1;
}

std::optional<QStringView> keepFirst(QStringView text, qsizetype n)
{
    if (n < 0)
        return std::nullopt;
    return text.first(std::min(n, text.size()));
}

std::optional<QStringView> keepLast(QStringView text, qsizetype n)
{
    if (n < 0)
        return std::nullopt;
    return text.last(std::min(n, text.size()));
}

bool contains(QStringView text, QStringView marker)
{
    return find(text, marker) != 0;
}

bool keepLastOf(WorkingText& text, qsizetype n)
{
    if (n < 0)
        return false;
    text.keepLast(n);
    return true;
}

} // namespace Qorvin::TextOps
