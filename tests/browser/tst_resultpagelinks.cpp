// SPDX-License-Identifier: MIT
// Links the user follows from the result page, against the real engine offscreen.
#include "app/browser/webbrowser.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineView>

using namespace Qorvin;

class TestResultPageLinks : public QObject
{
    Q_OBJECT

private slots:
    void songLinkGoesToUserBrowser_data();
    void songLinkGoesToUserBrowser();
};

void TestResultPageLinks::songLinkGoesToUserBrowser_data()
{
    QTest::addColumn<QByteArray>("href");
    QTest::addColumn<QList<QUrl>>("opened");
    QTest::newRow("song address") << QByteArray("http://music.localservice.example/7.mp3")
                                  << QList<QUrl>{
                                         QUrl(QStringLiteral("http://music.localservice.example/7.mp3"))};
    QTest::newRow("new window") << QByteArray("http://music.localservice.example/8.mp3' target='_blank")
                                << QList<QUrl>{
                                       QUrl(QStringLiteral("http://music.localservice.example/8.mp3"))};
    QTest::newRow("local file never handed on") << QByteArray("file:///etc/hostname") << QList<QUrl>{};
}

void TestResultPageLinks::songLinkGoesToUserBrowser()
{
    QFETCH(QByteArray, href);
    QFETCH(QList<QUrl>, opened);

    WebBrowser browser;
    browser.resize(640, 480);
    browser.show();
    QList<QUrl> handedOn;
    browser.setLinkOpener([&handedOn](const QString& address) { handedOn.append(QUrl(address)); });
    QSignalSpy pageEvents(&browser, &WebBrowser::DocumentComplete);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QFile page(folder.filePath(QStringLiteral("result.htm")));
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.write("<html><body style='margin:0'><a href='" + href +
               "' style='display:block;width:300px;height:200px'>song</a></body></html>");
    page.close();
    const QUrl resultPage = QUrl::fromLocalFile(page.fileName());
    browser.Navigate(resultPage.toString());
    QVERIFY(pageEvents.wait(20000));

    QWidget* surface = browser.findChild<QWebEngineView*>()->focusProxy();
    QVERIFY(surface);
    QTest::mouseClick(surface, Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
    QTest::qWait(1500);
    QCOMPARE(handedOn, opened);
    // The result stays on view, and nothing counts as a new page.
    QCOMPARE(pageEvents.count(), 1);
    QCOMPARE(browser.findChild<QWebEngineView*>()->url(), resultPage);
}

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestResultPageLinks test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_resultpagelinks.moc"
