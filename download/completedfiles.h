// SPDX-License-Identifier: MIT
// The songs the queue has finished: which address was saved as which file, so that the same
// address asked for again into the same folder is recognised instead of saved as a copy.
#pragma once

#include "download/queuestore.h"

#include <QList>
#include <QString>
#include <QUrl>

namespace Qorvin {

class CompletedFiles
{
public:
    // Remembers the file; the oldest are forgotten first once there are very many.
    void add(const QUrl& url, const QString& path, qint64 size);
    void add(const CompletedFile& file); // its url fully encoded
    // The same for many files in one pass, in their order (a merge of a whole record).
    void addAll(const QList<CompletedFile>& files);
    // The newest record of url in folder (or a folder inside it) whose file is still there with its size.
    const CompletedFile* find(const QString& folder, const QUrl& url) const;

    const QList<CompletedFile>& list() const { return m_files; }
    void setList(const QList<CompletedFile>& files) { m_files = files; }

private:
    QList<CompletedFile> m_files;
};

} // namespace Qorvin
