// SPDX-License-Identifier: MIT
// MP3 Qorvin: one window, no settings. Of a command line it knows only --help and --version,
// answered before any display is opened, so that scripts and package checks can ask.
#include "app/browser/softwarerendering.h"
#include "app/downloads/songdownloads.h"
#include "app/window/fonts.h"
#include "app/window/frmmain.h"
#include "download/downloadqueue.h"

#include <QApplication>
#include <QNetworkProxyFactory>

#include <cstdio>
#include <cstring>
#include <optional>

namespace {

// The exit code after answering --help or --version; nothing when the window should open.
std::optional<int> answerInformationOption(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("mp3qorvin %s\n", QORVIN_VERSION);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs("用法：mp3qorvin [--help] [--version]\n"
                       "打开 MP3 Qorvin 窗口。要对着自带的本地搜索服务使用，请运行 mp3qorvin-local。\n\n"
                       "  -h, --help  显示这段说明\n"
                       "  --version   显示版本\n",
                       stdout);
            return 0;
        }
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char* argv[])
{
    if (const auto exitCode = answerInformationOption(argc, argv))
        return *exitCode;

    Qorvin::useSoftwareRendering();
    // The embedded browser shares its drawing contexts with the window's widgets.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    // Desktops match the window with its menu entry and icon by the desktop file's name.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.tavrel.Mp3Qorvin"));
    Qorvin::installFontSubstitutions();
    QApplication::setFont(Qorvin::defaultWindowFont());

    // The songs go the way the browser's pages go: through the system proxy (http_proxy).
    QNetworkProxyFactory::setUseSystemConfiguration(true);
    // One download queue for the program; it outlives the window, which only shows it.
    Qorvin::DownloadQueue downloads;
    Qorvin::frmMain window;
    window.attachDownloads(downloads);
    window.showCentred();
    Qorvin::restoreStoredDownloads(downloads, &window);
    return QApplication::exec();
}
