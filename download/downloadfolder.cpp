// SPDX-License-Identifier: MIT
#include "downloadfolder.h"

#include "songfilename.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace Qorvin {

namespace {

QString settingsKey()
{
    return QStringLiteral("download/baseFolder");
}

QString programFolderName()
{
    return QStringLiteral("MP3 Qorvin");
}

// A standard folder that exists; an absent Music folder is not made just for the songs.
QString existingLocation(QStandardPaths::StandardLocation location)
{
    const QString folder = QStandardPaths::writableLocation(location);
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

} // namespace

QString defaultDownloadBaseFolder()
{
    QString parent = existingLocation(QStandardPaths::MusicLocation);
    if (parent.isEmpty())
        parent = existingLocation(QStandardPaths::DownloadLocation);
    if (parent.isEmpty())
        parent = QDir::homePath();
    return QDir(parent).filePath(programFolderName());
}

QString downloadBaseFolder()
{
    const QString chosen = QSettings().value(settingsKey()).toString();
    return chosen.isEmpty() ? defaultDownloadBaseFolder() : chosen;
}

void rememberDownloadBaseFolder(const QString& folder)
{
    QSettings settings;
    if (folder.isEmpty())
        settings.remove(settingsKey());
    else
        settings.setValue(settingsKey(), QDir::cleanPath(folder));
}

QString batchFolder(const QString& keyword)
{
    return batchFolder(downloadBaseFolder(), keyword);
}

QString batchFolder(const QString& baseFolder, const QString& keyword)
{
    const QString name = safeFileStem(keyword);
    return name.isEmpty() ? QDir::cleanPath(baseFolder) : QDir(baseFolder).filePath(name);
}

} // namespace Qorvin
