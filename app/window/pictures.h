// SPDX-License-Identifier: MIT
// The pictures compiled into the program (made by tools/make-pictures).
#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>

namespace Qorvin::Pictures {

QIcon windowIcon();        // five images: 32, 24, 16 at 8 bits, 24, 16 at 32 bits per pixel
QPixmap banner();          // 999 x 8, stretched across the top
QPixmap panelBackground(); // 460 x 220, at its natural size
QPixmap buttonFace();      // 71 x 20, stretched behind the start label
QPixmap menuButton();      // 20 x 20, stretched
QPixmap statusPicture();   // 12 x 12, at the left end of the status panel
QCursor handCursor();      // 32 x 32 monochrome, hot spot (5, 0)

// The resource path of a picture file, for those who read the file itself.
QString resourcePath(const QString& fileName);

} // namespace Qorvin::Pictures
