// SPDX-License-Identifier: MIT
// Giving a complete file its final name without ever replacing a file that has that name.
#pragma once

#include <QString>

namespace Qorvin {

// Renames from to to; 0 on success, EEXIST when to is taken, otherwise the errno of the failed
// call, read right after it. The check and the rename are one step where the file system allows.
int renameWithoutReplacing(const QString& from, const QString& to);

} // namespace Qorvin
