// SPDX-License-Identifier: MIT
// MP3 Qorvin: one window, no command line, no settings.
#include "downloadqueue.h"
#include "fonts.h"
#include "frmmain.h"
#include "songdownloads.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    // The embedded browser shares its drawing contexts with the window's widgets.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    Qorvin::installFontSubstitutions();
    QApplication::setFont(Qorvin::defaultWindowFont());

    // One download queue for the program; it outlives the window, which only shows it.
    Qorvin::DownloadQueue downloads;
    Qorvin::frmMain window;
    window.attachDownloads(downloads);
    window.showCentred();
    Qorvin::restoreStoredDownloads(downloads, &window);
    return QApplication::exec();
}
