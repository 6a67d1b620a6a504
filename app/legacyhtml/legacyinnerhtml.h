// SPDX-License-Identifier: MIT
// The page text the scrapers read, in the marker forms they search for.
#pragma once

#include <QString>

namespace Qorvin {

// Parses a whole HTML document (as the engine's document.documentElement.outerHTML gives it) and
// serializes the root element's inner HTML in those forms: element names in
// upper case (anchors end "</A>"), attribute names as written, attribute values unquoted when they
// are not empty and hold only letters, digits and -_.:# (so an anchor's tag ends "target=_blank>"),
// otherwise in double quotes; text with & < > and U+00A0 escaped; comments kept; void elements
// without end tags; whitespace as it is; script and style content unescaped.
QString legacyInnerHtml(const QString& documentHtml);

} // namespace Qorvin
