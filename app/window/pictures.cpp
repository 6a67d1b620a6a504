// SPDX-License-Identifier: MIT
#include "app/window/pictures.h"

#include <QBitmap>

// The pictures live in a static library: naming their initialiser keeps the linker from
// dropping them.
static void initPictureResources()
{
    Q_INIT_RESOURCE(pictures);
}

namespace Qorvin::Pictures {

namespace {

QPixmap load(const QString& fileName)
{
    initPictureResources();
    return QPixmap(resourcePath(fileName));
}

} // namespace

QString resourcePath(const QString& fileName)
{
    return QStringLiteral(":/pictures/") + fileName;
}

QIcon windowIcon()
{
    initPictureResources();
    return QIcon(resourcePath(QStringLiteral("qorvin.ico")));
}

QPixmap banner()
{
    return load(QStringLiteral("banner.jpg"));
}

QPixmap panelBackground()
{
    return load(QStringLiteral("panel.jpg"));
}

QPixmap buttonFace()
{
    return load(QStringLiteral("button.jpg"));
}

QPixmap menuButton()
{
    return load(QStringLiteral("menubutton.jpg"));
}

QPixmap statusPicture()
{
    return load(QStringLiteral("status.bmp"));
}

QCursor handCursor()
{
    initPictureResources();
    // Qt reads no cursor files: the picture (1 = black) and its mask (1 = drawn) are bitmaps.
    const QBitmap picture(resourcePath(QStringLiteral("hand.pbm")));
    const QBitmap mask(resourcePath(QStringLiteral("handmask.pbm")));
    return QCursor(picture, mask, 5, 0);
}

} // namespace Qorvin::Pictures
