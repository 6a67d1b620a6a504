// SPDX-License-Identifier: MIT
// Where result.htm lives and the address the browser shows it from.
#pragma once

#include <QString>

namespace Qorvin {

struct ResultLocation
{
    QString folder;
    QString filePath;
    QString pageUrl;
};

// The program's folder when a file can be created there and it is not an installed bin/ folder,
// otherwise the per-user application data folder (created if needed).
ResultLocation resultLocation(const QString& programFolder);

// A page the caller names itself: that file, with no other folder to fall back to.
ResultLocation resultLocationOfFile(const QString& filePath);

enum class PageUrlStyle
{
    // "file:///" + folder + "\result.htm", the form Windows browsers take as it is.
    WindowsConcatenation,
    // A proper file URL of the same path (a plain concatenation would give "file:////" elsewhere).
    FileUrl,
};

// The local page's address for result.htm in folder.
QString resultPageUrl(const QString& folder, PageUrlStyle style);

} // namespace Qorvin
