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

// The same without waiting for the disk: the file is whole for any program that reads it after a
// kill, but a power cut may leave the older content. For small records rewritten often, where
// a sync each time would cost more than the work they describe. The new content is written to
// unsyncedNewPath(filePath) first: a kill between the write and the rename leaves it there, and
// whoever removes the file removes that one too.
Outcome replaceFileUnsynced(const QString& filePath, const QByteArray& bytes);
QString unsyncedNewPath(const QString& filePath);

} // namespace Qorvin
