// SPDX-License-Identifier: MIT
// Making a download folder with its missing parents, reporting the system's reason exactly.
#pragma once

#include <QString>

namespace Qorvin {

// 0 when the folder exists afterwards, else the errno of the call that failed, read right after it.
int makeFolderPath(const QString& path);

} // namespace Qorvin
