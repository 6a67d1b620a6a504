// SPDX-License-Identifier: MIT
// The first page's handling, rehearsed on a small sample while that page is still on its way.
#pragma once

namespace Qorvin::Cli {

// Runs the decoder, the HTML parser and serializer, and the result page's encoder once on a
// sample. Their code, their converter tables and the parser's memory are then loaded when the
// first page arrives, so the crawl's wait for the network pays for them instead of its pages.
void warmUpPagePipeline();

} // namespace Qorvin::Cli
