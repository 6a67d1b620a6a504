// SPDX-License-Identifier: MIT
// Where downloaded songs go: a base folder, remembered across runs, with one folder per keyword;
// and how the window names and tags them, remembered too.
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

// The 文件名 choice of 下载管理: a name template (download/songfilename.h), the default one until
// the user chooses; a remembered template that cannot name songs counts as none.
QString rememberedNameTemplate();
void rememberNameTemplate(const QString& nameTemplate);

// The 写入歌曲信息 switch of 下载管理: on until the user turns it off.
bool rememberedWriteTags();
void rememberWriteTags(bool writeTags);

// The folder of one search's songs: the base folder + the keyword made a safe file name
// (the base folder itself when the keyword leaves nothing).
QString batchFolder(const QString& keyword);
QString batchFolder(const QString& baseFolder, const QString& keyword);

} // namespace Qorvin
