// SPDX-License-Identifier: MIT
#include "app/window/fonts.h"

#include <QStringList>

namespace Qorvin {

namespace {

QString songFace()
{
    return QStringLiteral("宋体");
}

QString kaiFace()
{
    return QStringLiteral("楷体_GB2312");
}

} // namespace

void installFontSubstitutions()
{
    if (QFont::substitutes(songFace()).isEmpty())
        QFont::insertSubstitution(songFace(), QStringLiteral("AR PL UMing CN"));
    if (QFont::substitutes(kaiFace()).isEmpty())
        QFont::insertSubstitution(kaiFace(), QStringLiteral("AR PL UKai CN"));
}

QFont songFont(qreal pointSize, bool bold, bool underline)
{
    QFont font(songFace());
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    font.setUnderline(underline);
    return font;
}

QFont kaiFont(qreal pointSize, bool bold)
{
    QFont font(kaiFace());
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

QFont defaultWindowFont()
{
    return songFont(9);
}

} // namespace Qorvin
