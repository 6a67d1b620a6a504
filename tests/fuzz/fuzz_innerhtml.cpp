// SPDX-License-Identifier: MIT
// Any bytes, taken as a page the engine might hand over, must serialize without a fault.
#include "app/legacyhtml/legacyinnerhtml.h"

#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString page = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString inner = Qorvin::legacyInnerHtml(page);
    // The parser always supplies a head element (its tag may carry attributes).
    if (!inner.contains(QStringLiteral("<HEAD")))
        __builtin_trap();
    return 0;
}
