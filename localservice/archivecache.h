// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>

namespace Qorvin::LocalService {

// The Archive's answers kept on disk, one file per address. A file's name is a hash of the
// address, so no identifier, however it is spelt, names a file outside the folder. The folder's
// files stay under a size cap: the oldest go first.
class ArchiveCache
{
public:
    // An empty folder keeps nothing.
    ArchiveCache(QString folder, qint64 maxBytes, qint64 maxAgeSeconds);

    struct Entry
    {
        QByteArray body;
        bool fresh = false; // younger than the maximum age
    };
    std::optional<Entry> find(const QUrl& address) const;
    // False, with the reason, when the file could not be written.
    bool store(const QUrl& address, const QByteArray& body, QString* error = nullptr);

    // The bytes its files hold now, as counted from the folder.
    qint64 sizeOnDisk() const;

private:
    QString pathOf(const QUrl& address) const;
    void trim();

    QString m_folder;
    qint64 m_maxBytes;
    qint64 m_maxAgeSeconds;
    qint64 m_bytes = -1; // what the folder holds as far as this cache knows; -1: not counted yet
};

} // namespace Qorvin::LocalService
