// SPDX-License-Identifier: MIT
// MP3 Qorvin: one window, no command line, no settings.
#include "fonts.h"
#include "frmmain.h"
#include "softwarerendering.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    Qorvin::useSoftwareRendering();
    // The embedded browser shares its drawing contexts with the window's widgets.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    Qorvin::installFontSubstitutions();
    QApplication::setFont(Qorvin::defaultWindowFont());

    Qorvin::frmMain window;
    window.showCentred();
    return QApplication::exec();
}
