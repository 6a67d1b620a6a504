// SPDX-License-Identifier: MIT
// Replacing a file's whole content in one step: the old file stays until the new one is complete.
#pragma once

#include "base/outcome.h"

#include <QByteArray>
#include <QString>

namespace Qorvin {

// Writes bytes beside filePath and renames them over it (QSaveFile). On failure the old file is
// untouched and the reason is worded by fileErrorText.
Outcome writeWholeFile(const QString& filePath, const QByteArray& bytes);

} // namespace Qorvin
