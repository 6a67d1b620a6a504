// SPDX-License-Identifier: MIT
#include "resultpage/resultlocation.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QUrl>

namespace Qorvin {

namespace {

QString resultFileName()
{
    return QStringLiteral("result.htm");
}

// Permission bits say nothing for an administrator or on a read-only mount, so only creating a
// file there answers whether the page can be written.
bool canCreateFileIn(const QString& folder)
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return false;
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral("result-probe-XXXXXX")));
    return probe.open();
}

// An installed program's folder (/usr/bin, or bin/ under any prefix) holds programs only; an
// administrator could create files there, but result.htm has no business beside the programs.
bool isProgramsOnlyFolder(const QString& folder)
{
    return QFileInfo(folder).fileName() == QStringLiteral("bin");
}

QString userDataFolder()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    QDir().mkpath(folder);
    return folder;
}

PageUrlStyle platformUrlStyle()
{
#ifdef Q_OS_WIN
    return PageUrlStyle::WindowsConcatenation;
#else
    return PageUrlStyle::FileUrl;
#endif
}

} // namespace

QString resultPageUrl(const QString& folder, PageUrlStyle style)
{
    if (style == PageUrlStyle::WindowsConcatenation)
        return QStringLiteral("file:///") + QString(folder).replace(u'/', u'\\') + u'\\' + resultFileName();
    return QUrl::fromLocalFile(QDir(folder).filePath(resultFileName())).toString();
}

ResultLocation resultLocation(const QString& programFolder)
{
    ResultLocation location;
    const bool useProgramFolder = !isProgramsOnlyFolder(programFolder) && canCreateFileIn(programFolder);
    location.folder = useProgramFolder ? programFolder : userDataFolder();
    location.filePath = QDir(location.folder).filePath(resultFileName());
    location.pageUrl = resultPageUrl(location.folder, platformUrlStyle());
    return location;
}

ResultLocation resultLocationOfFile(const QString& filePath)
{
    const QFileInfo file(filePath);
    ResultLocation location;
    location.folder = file.absolutePath();
    location.filePath = filePath;
    location.pageUrl = QUrl::fromLocalFile(file.absoluteFilePath()).toString();
    return location;
}

} // namespace Qorvin
