// SPDX-License-Identifier: MIT
#include "download/songtitle.h"

#include <QRegularExpression>

namespace Qorvin {

SongTitleParts splitSongTitle(const QString& title)
{
    static const QRegularExpression qualityMark(
        QStringLiteral(R"(\s*[\[【(（]\s*\d{2,4}\s*k(?:bps)?\s*[\]】)）]\s*$)"),
        QRegularExpression::CaseInsensitiveOption);
    QString plain = title.trimmed();
    plain.remove(qualityMark);
    const QString separator = QStringLiteral(" - ");
    const qsizetype at = plain.indexOf(separator);
    if (at <= 0)
        return {plain.trimmed(), {}};
    return {plain.left(at).trimmed(), plain.mid(at + separator.size()).trimmed()};
}

} // namespace Qorvin
