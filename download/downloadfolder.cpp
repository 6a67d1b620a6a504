// SPDX-License-Identifier: MIT
#include "download/downloadfolder.h"

#include "download/songfilename.h"

#include <QCoreApplication>
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

// The program sets no organisation, which would put its settings under "Unknown Organization";
// the settings then go to a folder named after the program, beside its data folder.
QSettings programSettings()
{
    const QString application = QCoreApplication::applicationName();
    const QString organisation = QCoreApplication::organizationName();
    return QSettings(QSettings::UserScope, organisation.isEmpty() ? application : organisation, application);
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
    const QString chosen = programSettings().value(settingsKey()).toString();
    return chosen.isEmpty() ? defaultDownloadBaseFolder() : chosen;
}

void rememberDownloadBaseFolder(const QString& folder)
{
    QSettings settings = programSettings();
    if (folder.isEmpty())
        settings.remove(settingsKey());
    else
        settings.setValue(settingsKey(), QDir::cleanPath(folder));
}

QString rememberedNameTemplate()
{
    const QString chosen = programSettings().value(QStringLiteral("download/nameTemplate")).toString();
    return nameTemplateProblem(chosen).isEmpty() ? chosen : QString::fromUtf16(DefaultNameTemplate);
}

void rememberNameTemplate(const QString& nameTemplate)
{
    programSettings().setValue(QStringLiteral("download/nameTemplate"), nameTemplate);
}

bool rememberedWriteTags()
{
    return programSettings().value(QStringLiteral("download/writeTags"), true).toBool();
}

void rememberWriteTags(bool writeTags)
{
    programSettings().setValue(QStringLiteral("download/writeTags"), writeTags);
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
