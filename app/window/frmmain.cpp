// SPDX-License-Identifier: MIT
#include "app/window/frmmain.h"

#include "app/browser/webbrowser.h"
#include "app/downloads/songdownloads.h"
#include "app/window/clickablelabel.h"
#include "app/window/clickablepanel.h"
#include "app/window/designtexts.h"
#include "app/window/framepacedtext.h"
#include "app/window/statusbar.h"
#include "app/window/twips.h"
#include "crawlstate/queryurl.h"
#include "search/crawlcontroller.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>
#include <QStyle>

namespace Qorvin {

namespace {

constexpr int EnterKeyAscii = 13;

// The character code a key press types, 13 for Enter; nothing for keys that type nothing.
std::optional<int> typedKeyAscii(const QKeyEvent& event)
{
    if (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter)
        return EnterKeyAscii;
    const QString text = event.text();
    if (text.isEmpty())
        return std::nullopt;
    return int(text.at(0).unicode());
}

} // namespace

frmMain::frmMain(UrlOpener openUrl, QWidget* parent)
    : QWidget(parent), m_openUrl(std::move(openUrl)), m_layout(designResizeGeometry())
{
    createControls();
    updateBrowserCover();
    m_controller = std::make_unique<CrawlController>(*this, *m_WebBrowser1);
    connectHandlers();

    m_controller->windowLoaded();
    m_TextSearch1->setFocus();
}

frmMain::~frmMain()
{
    // The browser outlives this object's members while the children are deleted; it must not
    // reach the controller after it is gone.
    m_WebBrowser1->disconnect(this);
}

void frmMain::showCentred()
{
    const QSize designSize(twipsToPixels(11040), twipsToPixels(9060));
    if (const QScreen* screen = this->screen())
        setGeometry(
            QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, designSize, screen->availableGeometry()));
    else
        resize(designSize);
    show();
}

void frmMain::connectHandlers()
{
    connect(m_Image4, &ClickableLabel::clicked, this, &frmMain::showTopicMenu);
    connect(m_PictureMenu, &ClickablePanel::clicked, this, &frmMain::hideTopicMenuOnBackgroundClick);
    connect(m_Label7, &ClickableLabel::clicked, this, &frmMain::returnToSearchHome);
    connect(m_Label3, &ClickableLabel::clicked, this, &frmMain::openMakerSite);
    connect(m_Label5, &ClickableLabel::clicked, this, &frmMain::openMakerSite);
    connect(m_Label9, &ClickableLabel::clicked, this, &frmMain::openForum);

    connect(m_Label6, &ClickableLabel::clicked, this, [this] { m_controller->startStopClicked(); });
    for (ClickableLabel* label : std::as_const(m_LabelTitle)) {
        const int index = label->property("Index").toInt();
        connect(label, &ClickableLabel::clicked, this, [this, index] { m_controller->topicClicked(index); });
    }
    connect(m_WebBrowser1, &WebBrowser::DocumentComplete, this,
            [this] { m_controller->PageLoadDispatcher(); });
    m_TextSearch1->installEventFilter(this);
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_TextSearch1 && event->type() == QEvent::KeyPress) {
        if (const std::optional<int> keyAscii = typedKeyAscii(*static_cast<QKeyEvent*>(event)))
            m_controller->keywordKeyPressed(*keyAscii);
    }
    return QWidget::eventFilter(watched, event); // the key still reaches the box
}

void frmMain::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // The status bar keeps itself docked to the bottom edge across the full width.
    const int barHeight = m_StatusBar1->height();
    m_StatusBar1->setGeometry(0, height() - barHeight, width(), barHeight);
    applyResizeLayout();
}

void frmMain::applyResizeLayout()
{
    ResizeInput input;
    input.clientWidth = pixelsToTwips(width());
    input.clientHeight = pixelsToTwips(height());
    input.bannerHeight = pixelsToTwips(m_Image3->height());
    input.statusBarHeight = pixelsToTwips(m_StatusBar1->height());
    input.keywordPanelWidth = pixelsToTwips(m_Picture1->width());
    input.keywordPanelHeight = pixelsToTwips(m_Picture1->height());
    input.topicMenuWidth = pixelsToTwips(m_PictureMenu->width());
    input.returnLinkWidth = pixelsToTwips(m_Label7->width());
    input.forumLinkWidth = pixelsToTwips(m_Label9->width());
    m_layout = layOutOnResize(input, m_layout);

    const ResizeGeometry& g = m_layout;
    m_Image3->resize(twipsToPixels(g.bannerWidth), m_Image3->height());
    m_Picture2->resize(twipsToPixels(g.searchPanelWidth), twipsToPixels(g.searchPanelHeight));
    m_Picture1->move(twipsToPixels(g.keywordPanelLeft), twipsToPixels(g.keywordPanelTop));
    m_WebBrowser1->resize(twipsToPixels(g.browserWidth), twipsToPixels(g.browserHeight));
    m_PictureMenu->move(twipsToPixels(g.topicMenuLeft), twipsToPixels(g.topicMenuTop));
    m_Label7->move(twipsToPixels(g.returnLinkLeft), m_Label7->y());
    m_Label9->move(twipsToPixels(g.forumLinkLeft), m_Label9->y());
    updateBrowserCover();
}

void frmMain::updateBrowserCover()
{
    // The pages a crawl goes through load behind the search panel and are never seen there, yet
    // the engine drawing them cost more than the crawl itself; it draws only what can be seen.
    m_WebBrowser1->setCovered(searchPanelCoversBrowser());
}

bool frmMain::searchPanelCoversBrowser() const
{
    const QObjectList& backToFront = children();
    return !m_Picture2->isHidden() && backToFront.indexOf(m_Picture2) > backToFront.indexOf(m_WebBrowser1) &&
           m_Picture2->geometry().contains(m_WebBrowser1->geometry());
}

void frmMain::attachDownloads(DownloadQueue& queue)
{
    delete m_downloads;
    m_downloads = new SongDownloads(
        queue, *m_WebBrowser1, *m_StatusBar1, *this, [this] { return keywordText(); },
        [this](const QUrl& url) { openAddress(url.toString(QUrl::FullyEncoded)); });
}

void frmMain::closeEvent(QCloseEvent* event)
{
    // Songs still downloading keep the window open unless the user lets them wait for the next run.
    if (m_downloads && !m_downloads->confirmQuit()) {
        event->ignore();
        return;
    }
    // Otherwise the window closes; a running crawl is abandoned.
    openAddress(makerHomeUrl());
    event->accept();
}

void frmMain::showTopicMenu()
{
    m_PictureMenu->show();
}

void frmMain::hideTopicMenuOnBackgroundClick()
{
    m_PictureMenu->hide();
}

void frmMain::returnToSearchHome()
{
    m_Picture2->raise();
    m_Picture2->show();
    updateBrowserCover();
    m_Label6->setText(startCaption());
    m_TextSearch1->setText(QString());
}

void frmMain::openMakerSite()
{
    openAddress(makerHost());
}

void frmMain::openForum()
{
    openAddress(makerForumUrl());
}

void frmMain::openAddress(const QString& address)
{
    if (m_openUrl)
        m_openUrl(address);
}

QString frmMain::countText() const
{
    return m_TextCount1->text();
}

QString frmMain::keywordText() const
{
    return m_TextSearch1->text();
}

void frmMain::setKeywordText(const QString& text)
{
    m_TextSearch1->setText(text);
}

QString frmMain::startStopCaption() const
{
    return m_Label6->text();
}

void frmMain::setStartStopCaption(const QString& text)
{
    m_Label6->setText(text);
}

void frmMain::setSearchStatusCaption(const QString& text)
{
    m_Label8Text->setText(text);
}

QString frmMain::statusPanelText() const
{
    return m_StatusBar1->panelText();
}

void frmMain::setStatusPanelText(const QString& text)
{
    m_StatusBar1->setPanelText(text);
}

void frmMain::focusCountBox()
{
    m_TextCount1->setFocus();
}

void frmMain::focusKeywordBox()
{
    m_TextSearch1->setFocus();
}

void frmMain::bringSearchPanelToFront()
{
    m_Picture2->raise();
    updateBrowserCover();
}

void frmMain::setSearchPanelVisible(bool visible)
{
    m_Picture2->setVisible(visible);
    updateBrowserCover();
}

void frmMain::hideTopicMenu()
{
    m_PictureMenu->hide();
}

void frmMain::yield()
{
    QCoreApplication::processEvents();
}

QString frmMain::programFolder() const
{
    return QCoreApplication::applicationDirPath();
}

} // namespace Qorvin
