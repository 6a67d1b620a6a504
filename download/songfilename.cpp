// SPDX-License-Identifier: MIT
#include "download/songfilename.h"

#include <QStringList>

namespace Qorvin {

namespace {

constexpr int MaxNameBytes = 200;

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
