// SPDX-License-Identifier: MIT
#include "download/completedfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace Qorvin {

namespace {

// Enough to recognise the songs of recent searches.
constexpr qsizetype MaxCompletedFiles = 5000;

} // namespace

void CompletedFiles::add(const QUrl& url, const QString& path, qint64 size)
{
    add(CompletedFile{url.toString(QUrl::FullyEncoded), path, size});
}

void CompletedFiles::add(const CompletedFile& completed)
{
    addAll({completed});
}

void CompletedFiles::addAll(const QList<CompletedFile>& files)
{
    // A file given again moves to the end: what stood before of the same address and path goes.
    QSet<std::pair<QString, QString>> given;
    for (const CompletedFile& file : files)
        given.insert({file.url, file.path});
    m_files.removeIf([&](const CompletedFile& file) { return given.contains({file.url, file.path}); });
    m_files.append(files);
    if (m_files.size() > MaxCompletedFiles)
        m_files.remove(0, m_files.size() - MaxCompletedFiles);
}

const CompletedFile* CompletedFiles::find(const QString& folder, const QUrl& url) const
{
    const QString link = url.toString(QUrl::FullyEncoded);
    for (qsizetype i = m_files.size(); i > 0; --i) {
        const CompletedFile& file = m_files.at(i - 1);
        if (file.url != link)
            continue;
        const QFileInfo info(file.path);
        // A name template may have put the file into a folder of the batch's own (one per singer).
        const QString parent = QDir::cleanPath(info.absolutePath());
        const bool inFolder = parent == folder || parent.startsWith(folder + u'/');
        if (inFolder && info.isFile() && info.size() == file.size)
            return &file;
    }
    return nullptr;
}

} // namespace Qorvin
