// SPDX-License-Identifier: MIT
// Opening a file to read it, with the reason in the program's language when that fails.
#pragma once

#include "base/outcome.h"

#include <QFile>
#include <QString>

namespace Qorvin {

// Opens filePath read-only into file, which must not be open. On failure the reason is worded by
// fileReadErrorText: a missing file, a folder in its place, no permission.
Outcome openForReading(QFile& file, const QString& filePath);

} // namespace Qorvin
