// SPDX-License-Identifier: MIT
// The program's one window: the search home over the embedded browser, the banner with its
// links, the topic menu and the status bar. The crawl itself is the controller's; the window
// gives it its controls (CrawlWindow), and WebBrowser1 is the crawl's browser.
#pragma once

#include "app/browser/urlopener.h"
#include "app/window/resizelayout.h"
#include "crawlstate/crawlwindow.h"

#include <QList>
#include <QWidget>

#include <memory>

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;

namespace Qorvin {

class ClickableLabel;
class ClickablePanel;
class CrawlController;
class DownloadQueue;
class FramePacedText;
class SongDownloads;
class StatusBar;
class WebBrowser;

class frmMain : public QWidget, public CrawlWindow
{
    Q_OBJECT

public:
    // openUrl hands the maker's pages to the user's web browser; tests pass a fake.
    explicit frmMain(UrlOpener openUrl = openInDefaultBrowser, QWidget* parent = nullptr);
    ~frmMain() override;

    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    // Shows the window at its design size, centred on its screen.
    void showCentred();

    CrawlController& controller() { return *m_controller; }

    // Lets the result view download its songs into queue, which outlives the window.
    void attachDownloads(DownloadQueue& queue);
    SongDownloads* downloads() const { return m_downloads; } // null until attached

    // CrawlWindow
    QString countText() const override;
    QString keywordText() const override;
    void setKeywordText(const QString& text) override;
    QString startStopCaption() const override;
    void setStartStopCaption(const QString& text) override;
    void setSearchStatusCaption(const QString& text) override;
    QString statusPanelText() const override;
    void setStatusPanelText(const QString& text) override;
    void focusCountBox() override;
    void focusKeywordBox() override;
    void bringSearchPanelToFront() override;
    void setSearchPanelVisible(bool visible) override;
    void hideTopicMenu() override;
    void yield() override;
    QString programFolder() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Building the controls at their design-time places and sizes (frmmaincontrols.cpp).
    void createControls();
    void createBanner();
    void createSearchPanel();
    void createKeywordPanel();
    void createTopicMenu();
    void createWorkingControls();
    void stackControls();
    void orderTabs();
    void connectHandlers();

    void applyResizeLayout();
    void updateBrowserCover();
    bool searchPanelCoversBrowser() const;

    // The menu toggles and the site links.
    void showTopicMenu();
    void hideTopicMenuOnBackgroundClick();
    void returnToSearchHome();
    void openMakerSite();
    void openForum();
    void openAddress(const QString& address);

    UrlOpener m_openUrl;
    ResizeGeometry m_layout;

    // The controls, under their design names: kind, role and number.
    QLabel* m_Image3 = nullptr;
    ClickableLabel* m_Label5 = nullptr;
    ClickableLabel* m_Label7 = nullptr;
    ClickableLabel* m_Label9 = nullptr;
    QWidget* m_Picture2 = nullptr;
    QLabel* m_Label8 = nullptr;
    FramePacedText* m_Label8Text = nullptr; // drawn at most once per frame
    QWidget* m_Picture1 = nullptr;
    QLabel* m_Image1 = nullptr;
    QLabel* m_Label1 = nullptr;
    QLabel* m_Label2 = nullptr;
    QWidget* m_Picture3 = nullptr;
    QLineEdit* m_TextSearch1 = nullptr;
    QLabel* m_Image2 = nullptr;
    ClickableLabel* m_Label6 = nullptr;
    ClickableLabel* m_Image4 = nullptr;
    ClickableLabel* m_Label3 = nullptr;
    QLabel* m_Label4 = nullptr;
    QLineEdit* m_TextCount1 = nullptr;
    ClickablePanel* m_PictureMenu = nullptr;
    QList<ClickableLabel*> m_LabelTitle;
    WebBrowser* m_WebBrowser1 = nullptr;
    StatusBar* m_StatusBar1 = nullptr;
    QPlainTextEdit* m_Text1 = nullptr;
    QListWidget* m_List1 = nullptr;
    QListWidget* m_List2 = nullptr;
    QListWidget* m_List3 = nullptr;

    std::unique_ptr<CrawlController> m_controller;
    SongDownloads* m_downloads = nullptr;
};

} // namespace Qorvin
