// SPDX-License-Identifier: MIT
// Behind the search panel the engine's page is out of sight, so it draws nothing, yet it loads
// and is read as ever; the result view brings it into sight and the return to the search home
// takes it out again.
#include "app/browser/webbrowser.h"
#include "app/window/frmmain.h"

#include <QApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <memory>

using namespace Qorvin;

namespace {

constexpr int LoadTimeoutMs = 30000;

} // namespace

class TestBrowserCover : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void coveredPageLoadsOutOfSight();
    void resultViewBringsPageIntoSight();
    void returnToSearchHomeTakesPageOutOfSight();
    void windowShownAgainKeepsCoveredPageOutOfSight();

private:
    bool navigateAndWait();
    QString visibilityState();

    QTemporaryDir m_folder;
    QString m_pageAddress;
    std::unique_ptr<frmMain> m_window;
    WebBrowser* m_browser = nullptr;
    QWebEnginePage* m_page = nullptr;
};

void TestBrowserCover::initTestCase()
{
    QVERIFY(m_folder.isValid());
    QFile page(m_folder.filePath(QStringLiteral("result.htm")));
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.write(
        "<html><body><a href=\"http://music.localservice.example/1.mp3\" target=_blank>1</a></body></html>");
    page.close();
    // The controller's own form of a local address.
    m_pageAddress = QStringLiteral("file:///") + m_folder.path() + QStringLiteral("\\result.htm");
}

void TestBrowserCover::init()
{
    m_window = std::make_unique<frmMain>([](const QString&) {});
    m_window->showCentred();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_browser = m_window->findChild<WebBrowser*>(QStringLiteral("WebBrowser1"));
    QVERIFY(m_browser);
    m_page = m_browser->findChild<QWebEngineView*>()->page();
    // The engine makes its page on the first load; until then it is neither in sight nor not.
    QVERIFY(navigateAndWait());
}

void TestBrowserCover::cleanup()
{
    m_window.reset();
}

bool TestBrowserCover::navigateAndWait()
{
    QSignalSpy completed(m_browser, &WebBrowser::DocumentComplete);
    m_browser->Navigate(m_pageAddress);
    return completed.wait(LoadTimeoutMs) && m_browser->innerHtml().contains(QStringLiteral("_blank>"));
}

QString TestBrowserCover::visibilityState()
{
    QString state;
    bool answered = false;
    m_page->runJavaScript(QStringLiteral("document.visibilityState"), QWebEngineScript::ApplicationWorld,
                          [&](const QVariant& result) {
                              state = result.toString();
                              answered = true;
                          });
    if (!QTest::qWaitFor([&] { return answered; }, LoadTimeoutMs))
        return QStringLiteral("no answer");
    return state;
}

void TestBrowserCover::coveredPageLoadsOutOfSight()
{
    // The window's first show and the first load both put the page in sight on their own.
    QVERIFY(!m_page->isVisible());
    QCOMPARE(visibilityState(), QStringLiteral("hidden"));
    QVERIFY(navigateAndWait());
    QVERIFY(!m_page->isVisible());
}

void TestBrowserCover::resultViewBringsPageIntoSight()
{
    m_window->setSearchPanelVisible(false);
    QVERIFY(m_page->isVisible());
    QCOMPARE(visibilityState(), QStringLiteral("visible"));
    QVERIFY(navigateAndWait());
    QVERIFY(m_page->isVisible());
}

void TestBrowserCover::returnToSearchHomeTakesPageOutOfSight()
{
    m_window->setSearchPanelVisible(false);
    QVERIFY(m_page->isVisible());
    QTest::mouseClick(m_window->findChild<QWidget*>(QStringLiteral("Label7")), Qt::LeftButton);
    QVERIFY(!m_page->isVisible());

    // A keyword start brings the panel to the front once more; it stays out of sight.
    m_window->bringSearchPanelToFront();
    QVERIFY(!m_page->isVisible());
    m_window->resize(m_window->size() + QSize(100, 60));
    QVERIFY(!m_page->isVisible());
}

void TestBrowserCover::windowShownAgainKeepsCoveredPageOutOfSight()
{
    m_window->hide();
    QVERIFY(!m_page->isVisible());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QVERIFY(!m_page->isVisible());

    m_window->setSearchPanelVisible(false);
    m_window->hide();
    QVERIFY(!m_page->isVisible());
    m_window->show();
    QVERIFY(m_page->isVisible());
}

int main(int argc, char** argv)
{
    // The engine shares its GL contexts with Qt's; this must be said before the application exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestBrowserCover test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_browsercover.moc"
