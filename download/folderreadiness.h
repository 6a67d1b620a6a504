// SPDX-License-Identifier: MIT
// Whether songs can be saved into a folder at all, found before any song is asked for.
#pragma once

#include <QString>

namespace Qorvin {

// Makes the folder when it is missing; empty when songs can be written into it, else the one
// Chinese line that says why not: the path is a file, the folder cannot be made, it is not
// writable or its file system is read-only.
QString folderProblem(const QString& folder);

// Why a folder could not be made or written into, from the errno of the call that failed.
QString folderReasonText(int error);

} // namespace Qorvin
