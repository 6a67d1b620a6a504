// SPDX-License-Identifier: MIT
// mp3qorvin-demo <keyword> <count>: the real window, offscreen, through one keyword search typed
// as a person would; prints where result.htm is and its rows. For machines without a display.
#include "app/browser/softwarerendering.h"
#include "app/demo/windowdriver.h"
#include "app/window/fonts.h"
#include "app/window/frmmain.h"

#include <QApplication>
#include <QFileInfo>
#include <QTextStream>

namespace {

constexpr int ResultTimeoutMs = 60000;

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Qorvin::useSoftwareRendering();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 3) {
        err << "usage: mp3qorvin-demo <keyword> <count>\n";
        return 2;
    }
    Qorvin::installFontSubstitutions();
    QApplication::setFont(Qorvin::defaultWindowFont());

    // The maker's home page that closing the window opens is no business of a demo.
    Qorvin::frmMain window([](const QString&) {});
    window.showCentred();
    Qorvin::WindowDriver driver(window);

    out << "searching " << arguments.at(1) << ", count " << arguments.at(2) << " ..." << Qt::endl;
    driver.startKeywordSearch(arguments.at(1), arguments.at(2));
    if (!driver.waitForResultShown(ResultTimeoutMs)) {
        err << "no result page within " << ResultTimeoutMs / 1000 << " s; status: " << driver.statusText()
            << "\n";
        return 1;
    }

    const QString resultFile = driver.resultFilePath();
    const QList<Qorvin::FoundSong> songs = driver.foundSongs();
    out << driver.statusText() << "\n";
    out << "result.htm: " << resultFile << (QFileInfo::exists(resultFile) ? "" : " (missing)") << "\n";
    out << songs.size() << " songs\n";
    for (qsizetype i = 0; i < songs.size(); ++i)
        out << (i + 1) << ". " << songs.at(i).title << "  " << songs.at(i).link << "\n";
    out.flush();
    return QFileInfo::exists(resultFile) ? 0 : 1;
}
