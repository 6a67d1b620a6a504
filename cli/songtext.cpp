// SPDX-License-Identifier: MIT
#include "songtext.h"

#include <QRegularExpression>

namespace Qorvin::Cli {

namespace {

QString decodeReferences(const QString& text)
{
    static const QRegularExpression reference(
        QStringLiteral("&(?:#([0-9]{1,7})|#[xX]([0-9A-Fa-f]{1,6})|(amp|lt|gt|quot|apos|nbsp));"));
    QString out;
    qsizetype last = 0;
    QRegularExpressionMatchIterator it = reference.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        out += QStringView(text).mid(last, match.capturedStart() - last);
        last = match.capturedEnd();
        char32_t codePoint = 0;
        if (match.hasCaptured(1))
            codePoint = match.captured(1).toUInt();
        else if (match.hasCaptured(2))
            codePoint = match.captured(2).toUInt(nullptr, 16);
        else {
            static const QHash<QString, char32_t> named{
                {QStringLiteral("amp"), U'&'},   {QStringLiteral("lt"), U'<'},
                {QStringLiteral("gt"), U'>'},    {QStringLiteral("quot"), U'"'},
                {QStringLiteral("apos"), U'\''}, {QStringLiteral("nbsp"), U'\u00A0'}};
            codePoint = named.value(match.captured(3));
        }
        if (codePoint == 0 || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
            codePoint = U'\uFFFD';
        out += QString::fromUcs4(&codePoint, 1);
    }
    out += QStringView(text).mid(last);
    return out;
}

} // namespace

QString songTitleText(const QString& title)
{
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    return decodeReferences(QString(title).remove(tag));
}

QString songLinkAddress(const QString& link)
{
    return decodeReferences(link);
}

} // namespace Qorvin::Cli
