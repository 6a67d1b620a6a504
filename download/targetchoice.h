// SPDX-License-Identifier: MIT
// Where a song's download goes in its folder, and whether an earlier run of the queue finished it
// there already.
#pragma once

#include "download/partrecord.h"
#include "download/queuestore.h"

#include <QSet>
#include <QString>

#include <functional>
#include <optional>

namespace Qorvin {

// The complete file a download of link into targetPath left behind, as its record names it. The
// record outlives the rename until the song is stored as complete, so a run stopped in between
// still knows the file for its own.
std::optional<CompletedFile> finishedByRecord(const QString& targetPath, const QString& link,
                                              const PartRecord& record);

struct TargetChoice
{
    QString targetPath;
    std::optional<CompletedFile> finished; // set when an earlier run completed the song there
};

// The first of fileName, "name (2)", … in folder that is neither reserved nor taken: a name whose
// part file another link's download holds is taken, while a part of the same link, or an empty
// one without a record (a run stopped before the first byte), is continued. readRecord gives a
// part file's record.
TargetChoice chooseTarget(const QString& folder, const QString& fileName, const QString& link,
                          const QSet<QString>& reserved,
                          const std::function<PartRecord(const QString& targetPath)>& readRecord);

} // namespace Qorvin
