// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace Qorvin {

// Label6's caption while no crawl runs, and while one runs.
inline QString startCaption()
{
    return QStringLiteral("开始搜索");
}
inline QString stopCaption()
{
    return QStringLiteral("停止搜索");
}

// What the crawl controller needs of the main window, and nothing more. The program's window
// implements it; tests implement it with a fake whose yield() can run a click.
class CrawlWindow
{
public:
    virtual ~CrawlWindow() = default;

    virtual QString countText() const = 0;                        // TextCount1
    virtual QString keywordText() const = 0;                      // TextSearch1
    virtual void setKeywordText(const QString& text) = 0;         // TextSearch1
    virtual QString startStopCaption() const = 0;                 // Label6
    virtual void setStartStopCaption(const QString& text) = 0;    // Label6
    virtual void setSearchStatusCaption(const QString& text) = 0; // Label8
    virtual QString statusPanelText() const = 0;                  // StatusBar1, panel 1
    virtual void setStatusPanelText(const QString& text) = 0;     // StatusBar1, panel 1
    virtual void focusCountBox() = 0;                             // TextCount1
    virtual void focusKeywordBox() = 0;                           // TextSearch1
    virtual void bringSearchPanelToFront() = 0;                   // Picture2, z-order 0
    virtual void setSearchPanelVisible(bool visible) = 0;         // Picture2
    virtual void hideTopicMenu() = 0;                             // PictureMenu
    virtual void yield() = 0;                                     // process pending events once
    virtual QString programFolder() const = 0;                    // the program file's folder
};

} // namespace Qorvin
