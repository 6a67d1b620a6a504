// SPDX-License-Identifier: MIT
#include "localservice/archiverecords.h"

#include <QHash>
#include <QJsonArray>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace Qorvin::LocalService {

using namespace Qt::StringLiterals;

namespace {

// Which MP3 copy stands for a recording: the smaller, the better.
int copyRank(const QJsonObject& file)
{
    if (archiveText(file.value("source"_L1)) != u"derivative")
        return 0; // the original itself is an MP3
    const QString format = archiveText(file.value("format"_L1));
    if (format.compare(u"VBR MP3"_s, Qt::CaseInsensitive) == 0)
        return 1;
    if (format.compare(u"128Kbps MP3"_s, Qt::CaseInsensitive) == 0)
        return 2;
    if (format.compare(u"64Kbps MP3"_s, Qt::CaseInsensitive) == 0)
        return 3;
    return 4;
}

// The program reads a record's link up to its first ".mp3" and writes every "MP3" of a page in
// lower case: only a name ending in ".mp3" makes a link that survives (the Archive's paths are
// case-sensitive).
bool isMp3(const QJsonObject& file)
{
    return archiveText(file.value("format"_L1)).endsWith(u"MP3"_s, Qt::CaseInsensitive) &&
           archiveText(file.value("name"_L1)).endsWith(u".mp3"_s);
}

// "mp3" in any case before the address's own extension, with its first letter percent-encoded,
// which names the same path: the program neither ends the link there nor changes its case.
QString withoutEarlyMp3(QString address)
{
    const qsizetype extension = address.size() - 4;
    for (qsizetype at = address.indexOf(u"mp3"_s, 0, Qt::CaseInsensitive); at >= 0 && at < extension;
         at = address.indexOf(u"mp3"_s, at + 1, Qt::CaseInsensitive)) {
        address.replace(at, 1, address[at] == u'm' ? u"%6D"_s : u"%4D"_s);
    }
    return address;
}

QString baseNameOf(const QString& path)
{
    QString name = path.sliced(path.lastIndexOf(u'/') + 1);
    if (const qsizetype dot = name.lastIndexOf(u'.'); dot > 0)
        name.truncate(dot);
    return name;
}

// The first of these fields that one of the files holds.
QString firstText(const QList<const QJsonObject*>& files, std::initializer_list<QLatin1StringView> fields)
{
    for (const QJsonObject* file : files) {
        if (!file)
            continue;
        for (QLatin1StringView field : fields) {
            if (QString text = archiveText(file->value(field)); !text.isEmpty())
                return text;
        }
    }
    return {};
}

struct Chosen
{
    const QJsonObject* copy = nullptr;
    int rank = 0;
    QString original; // the name the recording goes by: its original's
};

} // namespace

QString archiveText(const QJsonValue& value)
{
    QString text;
    if (value.isString())
        text = value.toString();
    else if (value.isDouble())
        text = QString::number(value.toDouble());
    else if (value.isArray()) {
        const QJsonArray list = value.toArray();
        for (const QJsonValue& entry : list) {
            if (text = archiveText(entry); !text.isEmpty())
                break;
        }
    }
    return text.simplified();
}

std::optional<int> archiveTrackNumber(const QString& track)
{
    static const QRegularExpression number(u"^\\s*(\\d{1,6})\\s*(/\\s*\\d+\\s*)?$"_s);
    const QRegularExpressionMatch match = number.match(track);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).toInt();
}

QString luceneEscaped(const QString& word)
{
    static const QString special = u"+-&|!(){}[]^\"~*?:\\/"_s;
    QString escaped;
    escaped.reserve(word.size() * 2);
    for (QChar c : word) {
        if (special.contains(c))
            escaped += u'\\';
        escaped += c;
    }
    return escaped;
}

std::optional<ArchiveSearchPage> archiveSearchPageOf(const QJsonObject& answer)
{
    const QJsonValue response = answer.value("response"_L1);
    if (!response.isObject() || !response.toObject().value("docs"_L1).isArray())
        return std::nullopt;
    ArchiveSearchPage page;
    // Bounded before the conversion: a count past 1e15 is taken as 1e15, one that is no number as 0.
    const double found = response.toObject().value("numFound"_L1).toDouble();
    page.found = std::isfinite(found) ? qint64(qBound(0.0, found, 1e15)) : 0;
    const QJsonArray docs = response.toObject().value("docs"_L1).toArray();
    for (const QJsonValue& doc : docs) {
        const QJsonObject fields = doc.toObject();
        ArchiveItem item{archiveText(fields.value("identifier"_L1)), archiveText(fields.value("title"_L1)),
                         archiveText(fields.value("creator"_L1))};
        if (!item.identifier.isEmpty())
            page.items.append(item);
    }
    return page;
}

QString archiveDownloadAddress(const QUrl& archiveAddress, const QString& identifier, const QString& name)
{
    QString address = QString::fromLatin1(archiveAddress.toEncoded(QUrl::RemoveQuery | QUrl::RemoveFragment));
    while (address.endsWith(u'/'))
        address.chop(1);
    address += u"/download/"_s + QString::fromLatin1(QUrl::toPercentEncoding(identifier));
    const QStringList segments = name.split(u'/');
    for (const QString& segment : segments)
        address += u'/' + QString::fromLatin1(QUrl::toPercentEncoding(segment));
    return withoutEarlyMp3(address);
}

QList<ArchiveRecording> archiveRecordingsOf(const QJsonObject& metadata, const ArchiveItem& item,
                                            const QUrl& archiveAddress)
{
    const QJsonArray files = metadata.value("files"_L1).toArray();
    QList<QJsonObject> all;
    all.reserve(files.size());
    for (const QJsonValue& file : files)
        all.append(file.toObject());
    QHash<QString, const QJsonObject*> byName;
    for (const QJsonObject& file : std::as_const(all))
        byName.insert(archiveText(file.value("name"_L1)), &file);

    // One recording per original: its MP3 copy of the best rank, the first of a rank.
    QList<QString> order;
    QHash<QString, Chosen> chosen;
    for (const QJsonObject& file : std::as_const(all)) {
        if (!isMp3(file))
            continue;
        const QString name = archiveText(file.value("name"_L1));
        const int rank = copyRank(file);
        QString original = rank == 0 ? name : archiveText(file.value("original"_L1));
        if (original.isEmpty())
            original = name;
        auto found = chosen.find(original);
        if (found == chosen.end()) {
            order.append(original);
            chosen.insert(original, Chosen{&file, rank, original});
        } else if (rank < found->rank) {
            *found = Chosen{&file, rank, original};
        }
    }

    const QJsonObject itemFields = metadata.value("metadata"_L1).toObject();
    const QString itemTitle = archiveText(itemFields.value("title"_L1)).isEmpty()
                                  ? item.title
                                  : archiveText(itemFields.value("title"_L1));
    const QString itemCreator = archiveText(itemFields.value("creator"_L1)).isEmpty()
                                    ? item.creator
                                    : archiveText(itemFields.value("creator"_L1));

    struct Sortable
    {
        std::optional<int> track;
        QString fileName;
        ArchiveRecording recording;
    };
    QList<Sortable> recordings;
    for (const QString& original : std::as_const(order)) {
        const Chosen& pick = chosen[original];
        // What the copy lacks, its original (a FLAC, say) often holds.
        const QList<const QJsonObject*> sources = {pick.copy, byName.value(original)};
        const QString fileName = archiveText(pick.copy->value("name"_L1));
        QString title = firstText(sources, {"title"_L1});
        if (title.isEmpty())
            title = order.size() == 1 && !itemTitle.isEmpty() ? itemTitle : baseNameOf(fileName);
        QString creator = firstText(sources, {"artist"_L1, "creator"_L1});
        if (creator.isEmpty())
            creator = itemCreator;
        Sortable entry;
        entry.track = archiveTrackNumber(firstText(sources, {"track"_L1}));
        entry.fileName = fileName;
        entry.recording.title = creator.isEmpty() ? title : title + u" - "_s + creator;
        entry.recording.singer = creator;
        entry.recording.address = archiveDownloadAddress(archiveAddress, item.identifier, fileName);
        recordings.append(entry);
    }
    // Numbered tracks first, in their order; the rest by file name.
    std::stable_sort(recordings.begin(), recordings.end(), [](const Sortable& a, const Sortable& b) {
        if (a.track.has_value() != b.track.has_value())
            return a.track.has_value();
        if (a.track != b.track)
            return *a.track < *b.track;
        return a.fileName < b.fileName;
    });
    QList<ArchiveRecording> result;
    result.reserve(recordings.size());
    for (const Sortable& entry : std::as_const(recordings))
        result.append(entry.recording);
    return result;
}

} // namespace Qorvin::LocalService
