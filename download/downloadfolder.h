// SPDX-License-Identifier: MIT
// Where downloaded songs go: a base folder, remembered across runs, with one folder per keyword.
#pragma once

#include <QString>

namespace Qorvin {

// The Music folder + "MP3 Qorvin", else the Downloads folder + "MP3 Qorvin", else the home
// folder + "MP3 Qorvin".
QString defaultDownloadBaseFolder();

// The base folder the user chose last (QSettings), else the default one.
QString downloadBaseFolder();

// Remembers the user's choice; an empty folder forgets it, so the default applies again.
void rememberDownloadBaseFolder(const QString& folder);

// The folder of one search's songs: the base folder + the keyword made a safe file name
// (the base folder itself when the keyword leaves nothing).
QString batchFolder(const QString& keyword);
QString batchFolder(const QString& baseFolder, const QString& keyword);

} // namespace Qorvin
