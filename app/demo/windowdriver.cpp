// SPDX-License-Identifier: MIT
#include "app/demo/windowdriver.h"

#include "app/browser/webbrowser.h"
#include "app/window/frmmain.h"
#include "search/crawlcontroller.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

namespace Qorvin {

WindowDriver::WindowDriver(frmMain& window) : m_window(window)
{
    // The window handles each page first, and may already have asked for the result page while
    // handling a search page: what counts is the document that completed.
    connect(browser(), &WebBrowser::DocumentComplete, this, [this] {
        if (browser()->documentUrl().isLocalFile()) {
            m_resultShown = true;
            emit resultShownNow();
        }
    });
}

QWidget* WindowDriver::control(const QString& objectName) const
{
    return m_window.findChild<QWidget*>(objectName);
}

QLineEdit* WindowDriver::keywordBox() const
{
    return m_window.findChild<QLineEdit*>(QStringLiteral("TextSearch1"));
}

QLineEdit* WindowDriver::countBox() const
{
    return m_window.findChild<QLineEdit*>(QStringLiteral("TextCount1"));
}

WebBrowser* WindowDriver::browser() const
{
    return m_window.findChild<WebBrowser*>(QStringLiteral("WebBrowser1"));
}

void WindowDriver::typeInto(QLineEdit* box, const QString& text)
{
    box->setFocus();
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Delete);
    // Latin letters come from the keyboard; Chinese text arrives from the input method, one
    // committed string at a time.
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(box, c.toLatin1());
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(QString(c));
            QCoreApplication::sendEvent(box, &commit);
        }
    }
}

void WindowDriver::pressEnterInKeywordBox()
{
    keywordBox()->setFocus();
    QTest::keyClick(keywordBox(), Qt::Key_Return);
}

void WindowDriver::click(QWidget* widget)
{
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, widget->rect().center());
}

bool WindowDriver::clickTopic(int index)
{
    QWidget* menuButton = control(QStringLiteral("Image4"));
    if (!menuButton)
        return false;
    click(menuButton);
    const QList<QWidget*> titles = m_window.findChildren<QWidget*>(QStringLiteral("LabelTitle"));
    for (QWidget* title : titles) {
        if (title->property("Index").toInt() == index && title->isVisible()) {
            m_resultShown = false;
            click(title);
            return true;
        }
    }
    return false;
}

void WindowDriver::startKeywordSearch(const QString& keyword, const QString& count)
{
    typeInto(countBox(), count);
    typeInto(keywordBox(), keyword);
    m_resultShown = false;
    pressEnterInKeywordBox();
}

bool WindowDriver::waitForResultShown(int timeoutMs)
{
    // An event loop of its own, not QTest::qWait, which sleeps between rounds and would hold up
    // every page of the crawl.
    if (!m_resultShown) {
        QEventLoop loop;
        QTimer timeout;
        timeout.setSingleShot(true);
        connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
        connect(this, &WindowDriver::resultShownNow, &loop, &QEventLoop::quit);
        timeout.start(timeoutMs);
        loop.exec();
    }
    return m_resultShown;
}

QString WindowDriver::resultFilePath() const
{
    return browser()->documentUrl().toLocalFile();
}

QList<FoundSong> WindowDriver::foundSongs() const
{
    const CrawlState& state = m_window.controller().state();
    QList<FoundSong> songs;
    for (qsizetype i = 0; i < state.List1.count(); ++i)
        songs.append({state.List1.at(i), state.List2.value(i)});
    return songs;
}

QString WindowDriver::statusText() const
{
    return m_window.statusPanelText();
}

} // namespace Qorvin
