// SPDX-License-Identifier: MIT
#include "download/songtags.h"

#include "base/gbktext.h"
#include "base/openforreading.h"
#include "download/songtitle.h"

#include <QFile>
#include <QRegularExpression>
#include <QtEndian>

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

constexpr qint64 Id3v1Bytes = 128;
constexpr qsizetype Id3HeaderBytes = 10;

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
        QStringLiteral(
            R"(^\s*(?:(?:https?|ftp)://\S+|www\.\S+|[a-z0-9-]+(?:\.[a-z0-9-]+)*\.[a-z]{2,}(?:/\S*)?)\s*$)"),
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

// The rendered tag's header and frames, without its padding, as an ID3v2.3 tag of its own. TagLib
// pads what it renders; the writer pads to the room it has.
QByteArray withoutPadding(const TagLib::ByteVector& rendered)
{
    const QByteArray bytes(rendered.data(), qsizetype(rendered.size()));
    qsizetype end = Id3HeaderBytes;
    while (end + Id3HeaderBytes <= bytes.size() && bytes.at(end) != '\0') {
        const qsizetype frameBytes = qsizetype(qFromBigEndian<quint32>(bytes.constData() + end + 4));
        if (frameBytes < 0 || end + Id3HeaderBytes + frameBytes > bytes.size())
            break;
        end += Id3HeaderBytes + frameBytes;
    }
    return paddedTag(bytes.first(end), end);
}

} // namespace

QByteArray paddedTag(const QByteArray& tag, qint64 totalBytes)
{
    QByteArray padded("ID3\x03\x00\x00", 6);
    const qint64 size = totalBytes - Id3HeaderBytes;
    for (int shift = 21; shift >= 0; shift -= 7) // the tag size is "syncsafe": 7 bits a byte
        padded += char((size >> shift) & 0x7F);
    padded += tag.mid(Id3HeaderBytes);
    padded.append(totalBytes - padded.size(), '\0');
    return padded;
}

Outcome planSongTags(const QString& path, const SongTagValues& values, SongTagPlan* plan)
{
    QFile file;
    if (const Outcome opened = openForReading(file, path); !opened.ok)
        return opened;
    const qint64 length = file.size();
    if (length == 0)
        return {false, QStringLiteral("文件是空的")};
    TagLib::FileStream stream(QFile::encodeName(path).constData(), true);
    if (!stream.isOpen())
        return {false, QStringLiteral("无法读取 %1").arg(path)};
    TagLib::MPEG::File mpeg(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
    if (!mpeg.isValid())
        return {false, QStringLiteral("读不懂文件的标签")};

    // The audio lies between a leading ID3v2 tag and the trailing APE and ID3v1 tags.
    plan->audioStart = 0;
    if (file.peek(3) == "ID3" && mpeg.hasID3v2Tag())
        plan->audioStart = mpeg.ID3v2Tag()->header()->completeTagSize();
    plan->audioEnd = length;
    if (mpeg.hasID3v1Tag())
        plan->audioEnd -= Id3v1Bytes;
    if (mpeg.hasAPETag())
        plan->audioEnd -= mpeg.APETag()->footer()->completeTagSize();
    if (plan->audioEnd <= plan->audioStart)
        return {false, QStringLiteral("文件里只有标签，没有音频")};

    makeTag(mpeg, values);
    plan->tag = withoutPadding(mpeg.ID3v2Tag()->render(TagLib::ID3v2::v3));
    return Outcome::success();
}

} // namespace Qorvin
