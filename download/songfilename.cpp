// SPDX-License-Identifier: MIT
#include "download/songfilename.h"

#include "download/songtitle.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringList>

namespace Qorvin {

namespace {

// Room below the file system's 255 bytes for ".part.json" and " (1000)" after a song's name.
constexpr int MaxNameBytes = 200;
constexpr int MaxFolderBytes = 255;

const QRegularExpression& fieldPattern()
{
    static const QRegularExpression field(QStringLiteral("\\{([a-z]*)\\}"));
    return field;
}

const QStringList& fieldNames()
{
    static const QStringList names{QStringLiteral("title"), QStringLiteral("name"), QStringLiteral("singer"),
                                   QStringLiteral("n"), QStringLiteral("keyword")};
    return names;
}

// One segment of a template with its fields filled in; *hadEmptyField tells whether a field
// stood for nothing.
QString expandedSegment(const QString& segment, const QHash<QString, QString>& values, bool* hadEmptyField)
{
    QString text;
    qsizetype from = 0;
    for (const QRegularExpressionMatch& match : fieldPattern().globalMatch(segment)) {
        text += segment.mid(from, match.capturedStart() - from);
        const QString value = values.value(match.captured(1));
        *hadEmptyField = *hadEmptyField || value.isEmpty();
        text += value;
        from = match.capturedEnd();
    }
    return text + segment.mid(from);
}

// What an empty field leaves behind: blanks, "-" and "." at either end, doubled " - " between.
QString withoutDanglingSeparators(QString text)
{
    static const QRegularExpression doubled(QStringLiteral("\\s*-\\s*(?:-\\s*)+"));
    static const QRegularExpression ends(QStringLiteral("^[\\s\\-.]+|[\\s\\-.]+$"));
    text.replace(doubled, QStringLiteral(" - "));
    text.remove(ends);
    return text;
}

bool isIllegalInName(QChar c)
{
    const char16_t code = c.unicode();
    if (code < 0x20 || code == 0x7F || (code >= 0x80 && code <= 0x9F))
        return true;
    if (c.isSurrogate())
        return false; // pairs are checked by the caller
    return QStringView(u"/\\:*?\"<>|").contains(c);
}

bool isTrimmed(QChar c)
{
    return c == u'.' || c.isSpace();
}

QString trimmedName(const QString& name)
{
    qsizetype begin = 0;
    qsizetype end = name.size();
    while (begin < end && isTrimmed(name.at(begin)))
        ++begin;
    while (end > begin && isTrimmed(name.at(end - 1)))
        --end;
    return name.mid(begin, end - begin);
}

// Windows refuses these as a name's first part whatever follows the dot.
bool isReservedWindowsName(const QString& name)
{
    static const QStringList reserved = [] {
        QStringList names{QStringLiteral("CON"), QStringLiteral("PRN"),    QStringLiteral("AUX"),
                          QStringLiteral("NUL"), QStringLiteral("CONIN$"), QStringLiteral("CONOUT$")};
        for (const QString& digit :
             QStringList{QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                         QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7"),
                         QStringLiteral("8"), QStringLiteral("9"), QStringLiteral("¹"), QStringLiteral("²"),
                         QStringLiteral("³")})
            names << QStringLiteral("COM") + digit << QStringLiteral("LPT") + digit;
        return names;
    }();
    const QString firstPart = name.section(u'.', 0, 0).trimmed();
    return reserved.contains(firstPart, Qt::CaseInsensitive);
}

// The longest prefix of text whose UTF-8 form fits in maxBytes, never splitting a character.
QString cutToUtf8Bytes(const QString& text, int maxBytes)
{
    int bytes = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const char32_t code = text.at(i).unicode();
        const bool pair =
            text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        const int width = pair ? 4 : code < 0x80 ? 1 : code < 0x800 ? 2 : 3;
        if (bytes + width > maxBytes)
            break;
        bytes += width;
        i += pair ? 2 : 1;
    }
    return text.left(i);
}

QString legalCharacters(const QString& text)
{
    QString name;
    name.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            name += c;
            name += text.at(++i);
        } else if (c.isSurrogate() || isIllegalInName(c)) {
            name += u'_';
        } else {
            name += c;
        }
    }
    return name;
}

} // namespace

QString safeFileStem(const QString& text, int maxUtf8Bytes)
{
    // A 1 MB title is cut before the character work; four characters per byte is more than enough.
    QString name = trimmedName(legalCharacters(text.left(qsizetype(maxUtf8Bytes) * 4 + 8)));
    if (isReservedWindowsName(name)) {
        const qsizetype dot = name.indexOf(u'.');
        name.insert(dot < 0 ? name.size() : dot, u'_');
    }
    return trimmedName(cutToUtf8Bytes(name, maxUtf8Bytes));
}

QString songFileName(const QString& plainTitle, const QUrl& link, int songNumber)
{
    const QString extension = QStringLiteral(".mp3");
    const int stemBytes = MaxNameBytes - int(extension.size());
    QString stem = safeFileStem(plainTitle, stemBytes);
    if (stem.isEmpty()) {
        QString segment = link.fileName(QUrl::FullyDecoded);
        if (segment.endsWith(extension, Qt::CaseInsensitive))
            segment.chop(extension.size());
        stem = safeFileStem(segment, stemBytes);
    }
    if (stem.isEmpty())
        stem = QStringLiteral("歌曲%1").arg(songNumber);
    return stem + extension;
}

QString nameTemplateProblem(const QString& nameTemplate)
{
    const QString withoutFields = QString(nameTemplate).remove(fieldPattern());
    if (withoutFields.contains(u'{') || withoutFields.contains(u'}'))
        return QStringLiteral("文件名模板中的花括号不成对，或字段名有误：%1").arg(nameTemplate);
    bool anyField = false;
    for (const QRegularExpressionMatch& match : fieldPattern().globalMatch(nameTemplate)) {
        if (!fieldNames().contains(match.captured(1)))
            return QStringLiteral(
                       "文件名模板中没有这个字段：{%1}（可用 {title} {name} {singer} {n} {keyword}）")
                .arg(match.captured(1));
        anyField = true;
    }
    if (!anyField)
        return QStringLiteral("文件名模板里至少要有一个字段，比如 {title}");
    return {};
}

QString songRelativePath(const QString& nameTemplate, const SongNameFields& fields, const QUrl& link)
{
    const SongTitleParts parts = splitSongTitle(fields.title);
    const QHash<QString, QString> values{
        {QStringLiteral("title"), fields.title.trimmed()},
        {QStringLiteral("name"), parts.name},
        {QStringLiteral("singer"), parts.singer},
        {QStringLiteral("n"),
         fields.number > 0 ? QStringLiteral("%1").arg(fields.number, fields.numberWidth, 10, QChar(u'0'))
                           : QString()},
        {QStringLiteral("keyword"), fields.keyword.trimmed()},
    };
    QStringList segments = nameTemplate.split(u'/');
    const QString fileSegment = segments.takeLast();
    QStringList path;
    for (const QString& segment : std::as_const(segments)) {
        bool hadEmptyField = false;
        QString folder = expandedSegment(segment, values, &hadEmptyField);
        if (hadEmptyField)
            folder = withoutDanglingSeparators(folder);
        folder = safeFileStem(folder, MaxFolderBytes);
        if (!folder.isEmpty())
            path << folder;
    }
    bool hadEmptyField = false;
    QString stem = expandedSegment(fileSegment, values, &hadEmptyField);
    if (hadEmptyField)
        stem = withoutDanglingSeparators(stem);
    const QString extension = QStringLiteral(".mp3");
    stem = safeFileStem(stem, MaxNameBytes - int(extension.size()));
    path << (stem.isEmpty() ? songFileName(fields.title, link, fields.number) : stem + extension);
    return path.join(u'/');
}

QString numberedFileName(const QString& fileName, int copy)
{
    if (copy <= 1)
        return fileName;
    const qsizetype dot = fileName.lastIndexOf(u'.');
    const QString extension = dot > 0 ? fileName.mid(dot) : QString();
    const QString stem = dot > 0 ? fileName.left(dot) : fileName;
    const QString suffix = QStringLiteral(" (%1)").arg(copy) + extension;
    const int suffixBytes = int(suffix.toUtf8().size());
    return trimmedName(cutToUtf8Bytes(stem, MaxNameBytes - suffixBytes)) + suffix;
}

} // namespace Qorvin
