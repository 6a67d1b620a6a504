// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <functional>

namespace Qorvin {

// Hands an address to the user's default web browser: the maker's pages from the window, the song
// links the user follows from the result page. Whether that worked is never reported.
using UrlOpener = std::function<void(const QString& address)>;

// The system's way: QDesktopServices. A bare host such as "www.tavrel.example" is taken for a
// web address, as a shell would take it.
void openInDefaultBrowser(const QString& address);

} // namespace Qorvin
