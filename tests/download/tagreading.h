// SPDX-License-Identifier: MIT
// What the tag tests read back from a downloaded MP3: its ID3v2 text frames (with TagLib) and its
// audio, the bytes between its ID3v2 tag and its ID3v1 tag.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>

namespace Qorvin::Test {

struct ReadTags
{
    bool id3v2 = false;
    bool id3v1 = false;
    bool ape = false;
    unsigned int version = 0; // the ID3v2 tag's major version
    QString title;            // TIT2
    QString singer;           // TPE1
    QString album;            // TALB
    QString track;            // TRCK
    int comments = 0;         // COMM frames
    int links = 0;            // WXXX frames
    int pictures = 0;         // APIC frames
    bool titleInUtf16 = false;
};

inline QString frameText(TagLib::ID3v2::Tag* tag, const char* id)
{
    const TagLib::ID3v2::FrameList frames = tag->frameList(id);
    return frames.isEmpty() ? QString() : QString::fromStdString(frames.front()->toString().to8Bit(true));
}

inline ReadTags readTags(const QString& path)
{
    ReadTags tags;
    TagLib::MPEG::File mpeg(QFile::encodeName(path).constData(), false);
    tags.id3v1 = mpeg.hasID3v1Tag();
    tags.id3v2 = mpeg.hasID3v2Tag();
    tags.ape = mpeg.hasAPETag();
    if (!tags.id3v2)
        return tags;
    TagLib::ID3v2::Tag* tag = mpeg.ID3v2Tag();
    tags.version = tag->header()->majorVersion();
    tags.title = frameText(tag, "TIT2");
    tags.singer = frameText(tag, "TPE1");
    tags.album = frameText(tag, "TALB");
    tags.track = frameText(tag, "TRCK");
    tags.comments = int(tag->frameList("COMM").size());
    tags.links = int(tag->frameList("WXXX").size());
    tags.pictures = int(tag->frameList("APIC").size());
    const TagLib::ID3v2::FrameList titles = tag->frameList("TIT2");
    const auto* title =
        titles.isEmpty() ? nullptr : dynamic_cast<TagLib::ID3v2::TextIdentificationFrame*>(titles.front());
    tags.titleInUtf16 = title && title->textEncoding() == TagLib::String::UTF16;
    return tags;
}

inline QByteArray audioOf(const QByteArray& mp3)
{
    qsizetype start = 0;
    if (mp3.startsWith("ID3") && mp3.size() >= 10) {
        for (int i = 6; i < 10; ++i)
            start = start * 128 + (uchar(mp3[i]) & 0x7F);
        start += 10;
    }
    const qsizetype end = mp3.right(128).startsWith("TAG") ? mp3.size() - 128 : mp3.size();
    return mp3.mid(start, end - start);
}

} // namespace Qorvin::Test
