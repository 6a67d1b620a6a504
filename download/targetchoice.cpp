// SPDX-License-Identifier: MIT
#include "download/targetchoice.h"

#include "download/songfilename.h"

#include <QDir>
#include <QFileInfo>

namespace Qorvin {

std::optional<CompletedFile> finishedByRecord(const QString& targetPath, const QString& link,
                                              const PartRecord& record)
{
    // A part file still there means the rename did not happen.
    if (record.url != link || QFileInfo::exists(partPathFor(targetPath)))
        return std::nullopt;
    const QString finalPath = finalPathIn(partRecordPathFor(targetPath));
    const QFileInfo file(finalPath);
    if (finalPath.isEmpty() || !file.isFile() ||
        (record.expectedSize >= 0 && file.size() != record.expectedSize))
        return std::nullopt;
    return CompletedFile{link, finalPath, file.size()};
}

TargetChoice chooseTarget(const QString& folder, const QString& fileName, const QString& link,
                          const QSet<QString>& reserved,
                          const std::function<PartRecord(const QString& targetPath)>& readRecord)
{
    const QDir dir(folder);
    for (int copy = 1;; ++copy) {
        const QString path = dir.filePath(numberedFileName(fileName, copy));
        if (reserved.contains(path))
            continue;
        const PartRecord record = readRecord(path);
        if (std::optional<CompletedFile> finished = finishedByRecord(path, link, record))
            return {path, finished};
        if (QFileInfo::exists(path))
            continue;
        const QFileInfo part(partPathFor(path));
        const bool leftEmpty = record.url.isEmpty() && part.exists() && part.size() == 0;
        if (part.exists() && record.url != link && !leftEmpty)
            continue;
        return {path, std::nullopt};
    }
}

} // namespace Qorvin
