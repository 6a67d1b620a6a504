// SPDX-License-Identifier: MIT
#include "download/taggedfile.h"

#include "base/fileerrortext.h"
#include "base/openforreading.h"
#include "download/writeback.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <linux/falloc.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Qorvin {

namespace {

constexpr qint64 CopyChunkBytes = 1 << 20;
// Room left in a copied tag, so that a player can edit it later without moving the audio.
constexpr qint64 CopyPaddingBytes = 1024;

// The errno of a failed QFile or QSaveFile call, which reach the system without touching it after;
// EIO when none was set.
int lastError()
{
    return errno != 0 ? errno : EIO;
}

// The tag written over the file's old one, with blocks inserted before the audio when it needs more
// room; the trailing tags cut off. *unsupported: the file system cannot insert blocks, and the file
// is unchanged.
Outcome tagInPlace(const QString& path, const SongTagPlan& plan, bool* unsupported)
{
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return Outcome::failure(fileErrorText(path, lastError()));
    const int handle = file.handle();
    qint64 room = plan.audioStart;
    qint64 inserted = 0;
    if (plan.tag.size() > room) {
        struct stat status
        {
        };
        const qint64 block =
            ::fstat(handle, &status) == 0 && status.st_blksize > 0 ? status.st_blksize : 4096;
        inserted = (plan.tag.size() - room + block - 1) / block * block;
        if (::fallocate(handle, FALLOC_FL_INSERT_RANGE, 0, inserted) != 0) {
            *unsupported = errno == EOPNOTSUPP || errno == EINVAL || errno == ENOSYS;
            return Outcome::failure(fileErrorText(path, errno));
        }
        room += inserted;
    }
    const QByteArray head = paddedTag(plan.tag, room);
    const qint64 audioEnd = plan.audioEnd - plan.audioStart + room;
    errno = 0;
    if (::pwrite(handle, head.constData(), size_t(head.size()), 0) != head.size()) {
        const int error = lastError();
        // The inserted blocks are only a hole until written; a full disk refuses them, and they go
        // again, so that the song is as it came.
        if (inserted > 0)
            ::fallocate(handle, FALLOC_FL_COLLAPSE_RANGE, 0, inserted);
        return Outcome::failure(fileErrorText(path, error));
    }
    if (::ftruncate(handle, audioEnd) != 0)
        return Outcome::failure(fileErrorText(path, errno));
    if (const int error = syncFileData(handle); error != 0)
        return Outcome::failure(fileErrorText(path, error));
    return Outcome::success();
}

Outcome copyAudioAfterHead(QFile& source, QFile& tagged, const SongTagPlan& plan)
{
    const QString taggedPath = tagged.fileName();
    const QByteArray head = paddedTag(plan.tag, plan.tag.size() + CopyPaddingBytes);
    errno = 0;
    if (tagged.write(head) != head.size())
        return Outcome::failure(fileErrorText(taggedPath, lastError()));
    // The kernel copies the audio from file to file, without passing it through this process, where
    // the file systems let it; through a buffer where not.
    loff_t from = plan.audioStart;
    qint64 left = plan.audioEnd - plan.audioStart;
    while (left > 0) {
        const ssize_t copied =
            ::copy_file_range(source.handle(), &from, tagged.handle(), nullptr, size_t(left), 0);
        if (copied <= 0)
            break;
        left -= copied;
    }
    errno = 0;
    if (left > 0 && !source.seek(from))
        return Outcome::failure(fileReadErrorText(source.fileName(), lastError()));
    QByteArray chunk;
    for (; left > 0; left -= chunk.size()) {
        chunk = source.read(qMin(left, CopyChunkBytes));
        if (chunk.isEmpty())
            return Outcome::failure(fileReadErrorText(source.fileName(), lastError()));
        if (tagged.write(chunk) != chunk.size())
            return Outcome::failure(fileErrorText(taggedPath, lastError()));
    }
    if (const int error = syncFileData(tagged.handle()); error != 0)
        return Outcome::failure(fileErrorText(taggedPath, error));
    return Outcome::success();
}

// The copy is written under taggedPath itself, a name only this program uses for a song being
// tagged: a run killed meanwhile leaves it there, where the next tagging replaces it and removing
// the song's part files removes it. Unbuffered, so that every failed write is seen.
Outcome writeCopy(const QString& sourcePath, const QString& taggedPath, const SongTagPlan& plan)
{
    QFile source(sourcePath);
    if (const Outcome opened = openForReading(source, sourcePath); !opened.ok)
        return opened;
    QFile tagged(taggedPath);
    errno = 0;
    if (!tagged.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return Outcome::failure(fileErrorText(taggedPath, lastError()));
    const Outcome copied = copyAudioAfterHead(source, tagged, plan);
    tagged.close();
    if (!copied.ok)
        tagged.remove();
    return copied;
}

} // namespace

Outcome tagSongFile(const QString& partPath, const QString& taggedPath, const SongTagValues& values)
{
    SongTagPlan plan;
    if (const Outcome planned = planSongTags(partPath, values, &plan); !planned.ok)
        return planned;
    // rename() replaces what a crash may have left under taggedPath.
    const QByteArray part = QFile::encodeName(partPath);
    const QByteArray tagged = QFile::encodeName(taggedPath);
    if (::rename(part.constData(), tagged.constData()) != 0)
        return Outcome::failure(fileErrorText(taggedPath, errno));
    bool unsupported = false;
    const Outcome inPlace = tagInPlace(taggedPath, plan, &unsupported);
    if (inPlace.ok)
        return inPlace;
    // Whatever stopped the tagging, the song goes back under its part name: it takes its final
    // name from there untagged, or a tagged copy is made where blocks cannot be inserted.
    if (::rename(tagged.constData(), part.constData()) != 0)
        return Outcome::failure(fileErrorText(partPath, errno));
    return unsupported ? writeCopy(partPath, taggedPath, plan) : inPlace;
}

Outcome writeTaggedCopy(const QString& sourcePath, const QString& taggedPath, const SongTagValues& values)
{
    SongTagPlan plan;
    if (const Outcome planned = planSongTags(sourcePath, values, &plan); !planned.ok)
        return planned;
    return writeCopy(sourcePath, taggedPath, plan);
}

QString taggedCopyPathFor(const QString& targetPath)
{
    return targetPath + QStringLiteral(".tagging");
}

} // namespace Qorvin
