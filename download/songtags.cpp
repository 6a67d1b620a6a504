// SPDX-License-Identifier: MIT
#include "download/songtags.h"

#include "base/gbktext.h"
#include "download/songtitle.h"

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>

#include <taglib/apefooter.h>
#include <taglib/apetag.h>
#include <taglib/commentsframe.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2frame.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tfilestream.h>
#include <taglib/urllinkframe.h>

namespace Qorvin {

namespace {

constexpr qint64 CopyChunkBytes = 1 << 20;
constexpr qint64 Id3v1Bytes = 128;

TagLib::String toTagText(const QString& text)
{
    return TagLib::String(text.toUtf8().toStdString(), TagLib::String::UTF8);
}

QString fromTagText(const TagLib::String& text)
{
    return QString::fromStdString(text.to8Bit(true));
}

bool hasIdeograph(const QString& text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 0x3400 && u <= 0x4DBF) || (u >= 0x4E00 && u <= 0x9FFF) || (u >= 0xF900 && u <= 0xFAFF))
            return true;
    }
    return false;
}

// Text stored as Latin-1 whose bytes are valid GBK holding Chinese: the writer meant GBK. Nothing
// when the text reads as it is (plain ASCII, "Café", or bytes that are no GBK).
std::optional<QString> gbkRepaired(const TagLib::String& latin1Text)
{
    if (!latin1Text.isLatin1())
        return std::nullopt;
    const TagLib::ByteVector bytes = latin1Text.data(TagLib::String::Latin1);
    const QByteArrayView view(bytes.data(), qsizetype(bytes.size()));
    if (std::all_of(view.begin(), view.end(), [](char b) { return uchar(b) < 0x80; }))
        return std::nullopt;
    std::optional<QString> text = gbkText(view);
    if (!text || !hasIdeograph(*text))
        return std::nullopt;
    return text;
}

TagLib::String repairedText(const TagLib::String& text)
{
    const std::optional<QString> repaired = gbkRepaired(text);
    return repaired ? toTagText(*repaired) : text;
}

// The download sites' adverts: a comment or a link that is nothing but a web address.
bool isOnlyWebAddress(const TagLib::String& text)
{
    static const QRegularExpression address(
        QStringLiteral(R"(^\s*(?:(?:https?|ftp)://\S+|www\.\S+|[a-z0-9-]+(?:\.[a-z0-9-]+)*\.[a-z]{2,}(?:/\S*)?)\s*$)"),
        QRegularExpression::CaseInsensitiveOption);
    return address.match(fromTagText(text)).hasMatch();
}

// Repairs the frame's text in place; true when the frame is an advert to drop.
bool repairFrame(TagLib::ID3v2::Frame* frame)
{
    if (auto* link = dynamic_cast<TagLib::ID3v2::UrlLinkFrame*>(frame))
        return isOnlyWebAddress(link->url());
    if (auto* comment = dynamic_cast<TagLib::ID3v2::CommentsFrame*>(frame)) {
        if (comment->textEncoding() == TagLib::String::Latin1) {
            const std::optional<QString> text = gbkRepaired(comment->text());
            const std::optional<QString> description = gbkRepaired(comment->description());
            if (text || description) {
                comment->setText(text ? toTagText(*text) : comment->text());
                comment->setDescription(description ? toTagText(*description) : comment->description());
                comment->setTextEncoding(TagLib::String::UTF16);
            }
        }
        return isOnlyWebAddress(comment->text());
    }
    if (auto* text = dynamic_cast<TagLib::ID3v2::TextIdentificationFrame*>(frame)) {
        if (text->textEncoding() != TagLib::String::Latin1)
            return false;
        TagLib::StringList fields = text->fieldList();
        bool changed = false;
        for (TagLib::String& field : fields) {
            if (const std::optional<QString> repaired = gbkRepaired(field)) {
                field = toTagText(*repaired);
                changed = true;
            }
        }
        if (changed) {
            text->setText(fields);
            text->setTextEncoding(TagLib::String::UTF16);
        }
    }
    return false;
}

void setTextFrame(TagLib::ID3v2::Tag* tag, const char* id, const QString& value)
{
    tag->removeFrames(id);
    auto* frame = new TagLib::ID3v2::TextIdentificationFrame(id, TagLib::String::UTF16);
    frame->setText(toTagText(value));
    tag->addFrame(frame);
}

QString frameText(TagLib::ID3v2::Tag* tag, const char* id)
{
    const TagLib::ID3v2::FrameList frames = tag->frameList(id);
    return frames.isEmpty() ? QString() : fromTagText(frames.front()->toString()).trimmed();
}

bool isReadable(const QString& text)
{
    return !text.isEmpty() && !text.contains(QChar::ReplacementCharacter);
}

// The new ID3v2 tag: the file's frames repaired, the ID3v1 tag's fields where they are missing,
// and the values of the result page.
void makeTag(TagLib::MPEG::File& mpeg, const SongTagValues& values)
{
    TagLib::ID3v2::Tag* tag = mpeg.ID3v2Tag(true);
    TagLib::ID3v2::FrameList adverts;
    for (TagLib::ID3v2::Frame* frame : tag->frameList()) {
        if (repairFrame(frame))
            adverts.append(frame);
    }
    for (TagLib::ID3v2::Frame* frame : adverts)
        tag->removeFrame(frame, true);

    if (mpeg.hasID3v1Tag()) {
        const TagLib::ID3v1::Tag* old = mpeg.ID3v1Tag();
        const std::pair<const char*, TagLib::String> fields[] = {
            {"TIT2", old->title()}, {"TPE1", old->artist()}, {"TALB", old->album()}};
        for (const auto& [id, text] : fields) {
            const QString value = fromTagText(repairedText(text)).trimmed();
            if (!value.isEmpty() && frameText(tag, id).isEmpty())
                setTextFrame(tag, id, value);
        }
    }

    const SongTitleParts parts = splitSongTitle(values.title);
    if (!parts.name.isEmpty())
        setTextFrame(tag, "TIT2", parts.name);
    if (!parts.singer.isEmpty())
        setTextFrame(tag, "TPE1", parts.singer);
    if (!isReadable(frameText(tag, "TALB")) && !values.album.trimmed().isEmpty())
        setTextFrame(tag, "TALB", values.album.trimmed());
    if (values.trackNumber > 0)
        setTextFrame(tag, "TRCK", QString::number(values.trackNumber));
}

QString writeError(const QSaveFile& file)
{
    return QStringLiteral("无法写入 %1（%2）").arg(file.fileName(), file.errorString());
}

} // namespace

Outcome writeTaggedCopy(const QString& sourcePath, const QString& taggedPath, const SongTagValues& values)
{
    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly))
        return {false, QStringLiteral("无法读取 %1（%2）").arg(sourcePath, source.errorString())};
    const qint64 length = source.size();
    if (length == 0)
        return {false, QStringLiteral("文件是空的")};

    TagLib::FileStream stream(QFile::encodeName(sourcePath).constData(), true);
    if (!stream.isOpen())
        return {false, QStringLiteral("无法读取 %1").arg(sourcePath)};
    TagLib::MPEG::File mpeg(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
    if (!mpeg.isValid())
        return {false, QStringLiteral("读不懂文件的标签")};

    // The audio lies between a leading ID3v2 tag and the trailing APE and ID3v1 tags.
    qint64 audioStart = 0;
    if (source.peek(3) == "ID3" && mpeg.hasID3v2Tag())
        audioStart = mpeg.ID3v2Tag()->header()->completeTagSize();
    qint64 audioEnd = length;
    if (mpeg.hasID3v1Tag())
        audioEnd -= Id3v1Bytes;
    if (mpeg.hasAPETag())
        audioEnd -= mpeg.APETag()->footer()->completeTagSize();
    if (audioEnd <= audioStart)
        return {false, QStringLiteral("文件里只有标签，没有音频")};

    makeTag(mpeg, values);
    const TagLib::ByteVector tag = mpeg.ID3v2Tag()->render(TagLib::ID3v2::v3);

    QSaveFile tagged(taggedPath);
    if (!tagged.open(QIODevice::WriteOnly))
        return {false, writeError(tagged)};
    if (tagged.write(tag.data(), qint64(tag.size())) != qint64(tag.size()))
        return {false, writeError(tagged)};
    if (!source.seek(audioStart))
        return {false, QStringLiteral("无法读取 %1（%2）").arg(sourcePath, source.errorString())};
    QByteArray chunk;
    for (qint64 left = audioEnd - audioStart; left > 0; left -= chunk.size()) {
        chunk = source.read(qMin(left, CopyChunkBytes));
        if (chunk.isEmpty())
            return {false, QStringLiteral("无法读取 %1（%2）").arg(sourcePath, source.errorString())};
        if (tagged.write(chunk) != chunk.size())
            return {false, writeError(tagged)};
    }
    if (!tagged.commit())
        return {false, writeError(tagged)};
    return Outcome::success();
}

QString taggedCopyPathFor(const QString& targetPath)
{
    return targetPath + QStringLiteral(".tagging");
}

} // namespace Qorvin
