// SPDX-License-Identifier: MIT
#include "app/window/frmmain.h"
#include "app/window/statusbar.h"
#include "search/crawlcontroller.h"
#include "search/topictable.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTest>

#include <memory>

using namespace Qorvin;

namespace {

QRect fromTwips(int left, int top, int width, int height)
{
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

template <typename Widget = QWidget> Widget* control(const QWidget& window, const QString& name)
{
    return window.findChild<Widget*>(name);
}

QList<QLabel*> topicLabels(const QWidget& window)
{
    return window.findChildren<QLabel*>(QStringLiteral("LabelTitle"));
}

QLabel* topicLabel(const QWidget& window, int index)
{
    for (QLabel* label : topicLabels(window)) {
        if (label->property("Index").toInt() == index)
            return label;
    }
    return nullptr;
}

// A window with a fake way to the user's web browser that records every address.
struct WindowUnderTest
{
    QStringList opened;
    std::unique_ptr<frmMain> window =
        std::make_unique<frmMain>([this](const QString& address) { opened.append(address); });

    QWidget* operator()(const char* name) const { return control(*window, QString::fromLatin1(name)); }
    QString text(const char* name) const
    {
        if (auto* label = qobject_cast<QLabel*>((*this)(name)))
            return label->text();
        return qobject_cast<QLineEdit*>((*this)(name))->text();
    }
    void click(const char* name) const { QTest::mouseClick((*this)(name), Qt::LeftButton); }
};

// Where a widget stands among its siblings, from the back (0) to the front.
qsizetype stackPosition(const QWidget* widget)
{
    return widget->parentWidget()->children().indexOf(widget);
}

} // namespace

class TestFrmMain : public QObject
{
    Q_OBJECT

public:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }

private slots:
    void controlsAsDrawn_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<bool>("shown");
        const QString window = QStringLiteral("frmMain");
        const auto row = [](const char* name, const QString& parent, QRect geometry, bool shown) {
            QTest::newRow(name) << QString::fromLatin1(name) << parent << geometry << shown;
        };
        row("Image3", window, fromTwips(0, 0, 14985, 840), true);
        row("Label5", window, fromTwips(360, 360, 7935, 255), true);
        row("Label9", window, fromTwips(11400, 360, 1455, 255), true);
        row("Label7", window, fromTwips(13200, 360, 1215, 255), true);
        row("Picture2", window, fromTwips(0, 840, 9255, 5535), true);
        row("WebBrowser1", window, fromTwips(0, 840, 3975, 1575), true);
        row("StatusBar1", window, fromTwips(0, 8685, 11040, 375), true);
        row("Text1", window, fromTwips(120, 6720, 10215, 1575), false);
        row("List1", window, fromTwips(1920, 3120, 1935, 4020), false);
        row("List2", window, fromTwips(2640, 3600, 2535, 3840), false);
        row("List3", window, fromTwips(240, 5280, 1455, 1860), false);
        const QString panel = QStringLiteral("Picture2");
        row("Label8", panel, fromTwips(240, 480, 10455, 735), true);
        row("Picture1", panel, fromTwips(1680, 1200, 6855, 3855), true);
        row("PictureMenu", panel, fromTwips(1680, 1320, 3135, 3015), false);
        const QString keyword = QStringLiteral("Picture1");
        row("Image1", keyword, fromTwips(0, -120, 6900, 3300), true);
        row("Label1", keyword, fromTwips(2040, 960, 2895, 615), true);
        row("Label2", keyword, fromTwips(840, 2160, 3855, 255), true);
        row("Picture3", keyword, fromTwips(840, 2400, 3615, 375), true);
        row("TextSearch1", keyword, fromTwips(840, 2520, 3615, 300), true);
        row("Image2", keyword, fromTwips(4680, 2400, 1065, 420), true);
        row("Label6", keyword, fromTwips(4800, 2520, 975, 255), true);
        row("Image4", keyword, fromTwips(5760, 2400, 315, 420), true);
        row("Label3", keyword, fromTwips(240, 3480, 3015, 255), true);
        row("Label4", keyword, fromTwips(4320, 3480, 1695, 255), true);
        row("TextCount1", keyword, fromTwips(6000, 3480, 735, 270), true);
    }

    void controlsAsDrawn()
    {
        QFETCH(QString, name);
        QFETCH(QString, parent);
        QFETCH(QRect, geometry);
        QFETCH(bool, shown);
        const frmMain window;
        const QList<QWidget*> found = window.findChildren<QWidget*>(name);
        QCOMPARE(found.size(), 1);
        QCOMPARE(found.first()->parentWidget()->objectName(), parent);
        // Before the window is first shown, nothing has been laid out yet.
        QCOMPARE(found.first()->geometry(), geometry);
        QCOMPARE(found.first()->isVisibleTo(&window), shown);
    }

    void topicMenuHasTwelveEntriesWithoutNine()
    {
        const frmMain window;
        QCOMPARE(topicLabels(window).size(), 12);
        QVERIFY(!topicLabel(window, 9));
        for (int index = 0; index <= 12; ++index) {
            if (index == 9)
                continue;
            const QLabel* label = topicLabel(window, index);
            QVERIFY2(label, qPrintable(QString::number(index)));
            QCOMPARE(label->parentWidget()->objectName(), QStringLiteral("PictureMenu"));
            QCOMPARE(label->text(),
                     topicEntry(index)->caption); // the captions are checked with the topic table
            const int column = index < 6 ? 0 : 1;
            const int row = index < 9 ? index % 6 : index - 7;
            QCOMPARE(label->pos(), QPoint(column ? 120 : 16, 8 + 32 * row));
            QCOMPARE(label->height(), 17);
            // Blue underlined links with the hand cursor.
            QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::blue));
            QVERIFY(label->font().underline());
            QCOMPARE(label->font().pointSizeF(), 12.0);
            QCOMPARE(label->cursor().hotSpot(), QPoint(5, 0));
        }
        QCOMPARE(control(window, QStringLiteral("PictureMenu"))->palette().color(QPalette::Window),
                 QColor(Qt::white));
        QCOMPARE(topicLabel(window, 2)->width(), 89);
        QCOMPARE(topicLabel(window, 12)->width(), 97);
    }

    void textsAtStart()
    {
        const WindowUnderTest t;
        QCOMPARE(t.window->windowTitle(), QStringLiteral("MP3 Qorvin v2.1"));
        QCOMPARE(t.text("Label9"), QStringLiteral("Tavrel软件论坛"));
        QCOMPARE(t.text("Label7"), QStringLiteral("返回搜索主页"));
        QCOMPARE(t.text("Label1"), QStringLiteral("MP3Qorvin"));
        QCOMPARE(t.text("Label2"), QStringLiteral("请输入如'Dalvesh'、'老歌　精选'等词开始搜索"));
        QCOMPARE(t.text("Label6"), QStringLiteral("开始搜索"));
        QCOMPARE(t.text("Label4"), QStringLiteral("搜索歌曲结果数量："));
        QCOMPARE(t.text("Label8"), QString());
        QCOMPARE(t.text("TextSearch1"), QString());
        QCOMPARE(t.text("TextCount1"), QStringLiteral("30"));
        QVERIFY(t.text("Label3").endsWith(QStringLiteral(" www.tavrel.example")));
        QVERIFY(!t.text("Label5").isEmpty());
        QCOMPARE(t("Image4")->toolTip(), QStringLiteral("选择搜索歌曲专题"));
        const QString welcome = QStringLiteral("MP3Qorvin - 搜索您的终极目标!直接返回MP3下载链接!");
        const auto* bar = qobject_cast<StatusBar*>(t("StatusBar1"));
        QCOMPARE(bar->panelText(), welcome);
        QCOMPARE(bar->panelToolTip(), welcome);
        QCOMPARE(qobject_cast<QPlainTextEdit*>(t("Text1"))->toPlainText(), QStringLiteral("Text1\n"));
        for (const char* list : {"List1", "List2", "List3"})
            QCOMPARE(qobject_cast<QListWidget*>(t(list))->count(), 0);
        // Labels show status texts made of web page titles: never as markup.
        QCOMPARE(qobject_cast<QLabel*>(t("Label8"))->textFormat(), Qt::PlainText);
    }

    void statusTextsReadBackAtOnceAndShowWithinAFrame()
    {
        const WindowUnderTest t;
        frmMain& w = *t.window;
        QLabel* panelText = nullptr;
        for (QLabel* label : t("StatusBar1")->findChildren<QLabel*>()) {
            if (label->pixmap().isNull())
                panelText = label;
        }
        QVERIFY(panelText);
        // As the crawl shows a record: the panel, then Label8 from what the panel reads.
        for (int record = 1; record <= 30; ++record) {
            w.setStatusPanelText(QStringLiteral("正在搜索第%1首").arg(record));
            w.setSearchStatusCaption(w.statusPanelText());
        }
        const QString last = QStringLiteral("正在搜索第30首");
        QCOMPARE(w.statusPanelText(), last);
        QTRY_COMPARE(panelText->text(), last);
        QTRY_COMPARE(t.text("Label8"), last);
    }

    void coloursFontsAndCursors_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QColor>("text");
        QTest::addColumn<QString>("face");
        QTest::addColumn<qreal>("points");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<bool>("hand");
        const QColor orange = QColor::fromRgb(0xFFC080);
        const QString song = QStringLiteral("AR PL UMing CN");
        const QString kai = QStringLiteral("AR PL UKai CN");
        const auto row = [](const char* name, QColor text, const QString& face, qreal points, bool bold,
                            bool hand) {
            QTest::newRow(name) << QString::fromLatin1(name) << text << face << points << bold << hand;
        };
        row("Label5", Qt::white, song, 9, true, true);
        row("Label9", orange, song, 9, false, true);
        row("Label7", orange, song, 9, false, true);
        row("Label8", QColor::fromRgb(0xFF8000), song, 9, false, false);
        row("Label1", Qt::white, kai, 21.75, true, false);
        row("Label2", Qt::white, song, 9, false, false);
        row("Label6", Qt::white, song, 10.5, false, true);
        row("Label3", QColor::fromRgb(0x808080), song, 9, false, true);
        row("TextSearch1", QColor(), song, 12, false, false);
        row("TextCount1", QColor(), song, 9, false, false);
    }

    void coloursFontsAndCursors()
    {
        QFETCH(QString, name);
        QFETCH(QColor, text);
        QFETCH(QString, face);
        QFETCH(qreal, points);
        QFETCH(bool, bold);
        QFETCH(bool, hand);
        const frmMain window;
        const QWidget* widget = control(window, name);
        if (text.isValid())
            QCOMPARE(widget->palette().color(QPalette::WindowText), text);
        QCOMPARE(QFontInfo(widget->font()).family(), face);
        QCOMPARE(widget->font().pointSizeF(), points);
        QCOMPARE(widget->font().bold(), bold);
        QCOMPARE(widget->cursor().shape() == Qt::BitmapCursor, hand);
    }

    void stacking_data()
    {
        QTest::addColumn<QString>("front");
        QTest::addColumn<QString>("back");
        const auto row = [](const char* front, const char* back) {
            QTest::addRow("%s over %s", front, back)
                << QString::fromLatin1(front) << QString::fromLatin1(back);
        };
        row("Picture2", "WebBrowser1");
        row("PictureMenu", "Picture1");
        row("TextSearch1", "Picture3");
        row("Label6", "Image2");
        row("Label1", "Image1");
        row("Label2", "Image1");
        row("Label5", "Image3");
        row("Label7", "Image3");
        row("Label9", "Image3");
    }

    void stacking()
    {
        QFETCH(QString, front);
        QFETCH(QString, back);
        const frmMain window;
        QVERIFY(stackPosition(control(window, front)) > stackPosition(control(window, back)));
    }

    void startsCentredWithTheFocusInTheKeywordBox()
    {
        WindowUnderTest t;
        t.window->showCentred();
        QVERIFY(QTest::qWaitForWindowExposed(t.window.get()));
        QCOMPARE(t.window->size(), QSize(736, 604));
        QCOMPARE(t.window->focusWidget(), t("TextSearch1"));
        QCOMPARE(t.window->controller().state().SearchDone, LegacyTrue);
        QCOMPARE(t.window->controller().state().QueryUrl, QString());
        const QRect screen = t.window->screen()->availableGeometry();
        QCOMPARE(t.window->geometry().center(), screen.center());
    }

    void tabOrderFollowsTheTabIndexes()
    {
        const frmMain window;
        QList<int> visited;
        QWidget* start = control(window, QStringLiteral("TextSearch1"));
        QWidget* widget = start;
        do {
            if (widget->property("TabIndex").isValid() && (widget->focusPolicy() & Qt::TabFocus))
                visited.append(widget->property("TabIndex").toInt());
            widget = widget->nextInFocusChain();
        } while (widget != start);
        // The two boxes, and the hidden working controls that are never shown.
        QCOMPARE(visited, (QList<int>{0, 4, 5, 6, 10, 17}));
    }

    void layoutOnTheWidgets_data()
    {
        QTest::addColumn<QSize>("client");
        QTest::addColumn<int>("keywordLeft");
        QTest::addColumn<int>("menuLeft");
        QTest::addColumn<int>("returnLeft");
        QTest::addColumn<int>("forumLeft");
        QTest::addColumn<int>("panelHeight");
        // Twips: 2092.5, 5712.5, 9725, 8170 and 7845, then each 70 pixels (1050 twips) further.
        QTest::newRow("design") << QSize(736, 604) << 140 << 381 << 648 << 545 << 523;
        QTest::newRow("wider") << QSize(806, 604) << 175 << 416 << 718 << 615 << 523;
        QTest::newRow("higher") << QSize(736, 674) << 140 << 381 << 648 << 545 << 593;
    }

    void layoutOnTheWidgets()
    {
        QFETCH(QSize, client);
        QFETCH(int, keywordLeft);
        QFETCH(int, menuLeft);
        QFETCH(int, returnLeft);
        QFETCH(int, forumLeft);
        QFETCH(int, panelHeight);
        WindowUnderTest t;
        t.window->showCentred();
        QVERIFY(QTest::qWaitForWindowExposed(t.window.get()));
        t.window->resize(client);
        QTRY_COMPARE(t.window->size(), client);

        const int width = client.width();
        QCOMPARE(t("Image3")->geometry(), QRect(0, 0, width, 56));
        QCOMPARE(t("Picture2")->geometry(), QRect(0, 56, width, panelHeight));
        QCOMPARE(t("WebBrowser1")->geometry(), QRect(0, 56, width, panelHeight));
        QCOMPARE(t("Picture1")->geometry(), QRect(keywordLeft, 160, 457, 257));
        QCOMPARE(t("PictureMenu")->geometry(), QRect(menuLeft, 166, 209, 201));
        QCOMPARE(t("Label7")->geometry(), QRect(returnLeft, 24, 81, 17));
        QCOMPARE(t("Label9")->geometry(), QRect(forumLeft, 24, 97, 17));
        QCOMPARE(t("StatusBar1")->geometry(), QRect(0, client.height() - 25, width, 25));
        QCOMPARE(t("Label5")->geometry(), fromTwips(360, 360, 7935, 255));
    }

    void layoutTooLowKeepsThePanelHeight()
    {
        WindowUnderTest t;
        t.window->showCentred();
        QVERIFY(QTest::qWaitForWindowExposed(t.window.get()));
        t.window->resize(300, 60); // lower than the banner and the status bar together
        QTRY_COMPARE(t.window->size(), QSize(300, 60));
        QCOMPARE(t("Picture2")->geometry(), QRect(0, 56, 300, 523));
        QCOMPARE(t("WebBrowser1")->geometry(), QRect(0, 56, 300, 523));
        QCOMPARE(t("Picture1")->x(), -79); // 2250 - 3427.5 = -1177.5 twips, half away from 0
        QCOMPARE(t("StatusBar1")->geometry(), QRect(0, 35, 300, 25));
    }

    void menuButtonShowsTheMenuAndItsBackgroundHidesIt()
    {
        WindowUnderTest t;
        QWidget* menu = t("PictureMenu");
        t.click("Image4");
        QVERIFY(menu->isVisibleTo(t.window.get()));
        t.click("Image4");
        QVERIFY(menu->isVisibleTo(t.window.get()));
        QTest::mouseClick(menu, Qt::LeftButton, {}, QPoint(200, 195));
        QVERIFY(!menu->isVisibleTo(t.window.get()));
        QTest::mouseClick(menu, Qt::LeftButton, {}, QPoint(200, 195));
        QVERIFY(!menu->isVisibleTo(t.window.get()));
        QCOMPARE(t.opened, QStringList());
    }

    void returnLabelBringsTheSearchHomeBack()
    {
        WindowUnderTest t;
        frmMain& w = *t.window;
        // The result view after a crawl ended by itself: panel hidden, caption left at stop.
        w.setSearchPanelVisible(false);
        t("WebBrowser1")->raise();
        w.setStartStopCaption(QStringLiteral("停止搜索"));
        w.setKeywordText(QStringLiteral("苏轼"));
        w.setSearchStatusCaption(QStringLiteral("本次搜索完成!"));
        qobject_cast<QLineEdit*>(t("TextCount1"))->setText(QStringLiteral("12"));

        t.click("Label7");
        QVERIFY(t("Picture2")->isVisibleTo(&w));
        QVERIFY(stackPosition(t("Picture2")) > stackPosition(t("WebBrowser1")));
        QCOMPARE(t.text("Label6"), QStringLiteral("开始搜索"));
        QCOMPARE(t.text("TextSearch1"), QString());
        QCOMPARE(t.text("TextCount1"), QStringLiteral("12"));
        QCOMPARE(t.text("Label8"), QStringLiteral("本次搜索完成!"));
        QCOMPARE(w.controller().state().SearchDone, LegacyTrue);
    }

    void siteLinksOpenTheMakersPages_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("address");
        QTest::newRow("credit line") << QStringLiteral("Label3") << QStringLiteral("www.tavrel.example");
        QTest::newRow("banner notice") << QStringLiteral("Label5") << QStringLiteral("www.tavrel.example");
        QTest::newRow("forum") << QStringLiteral("Label9")
                               << QStringLiteral("http://www.tavrel.example/tavrel/bbs/index.asp");
    }

    void siteLinksOpenTheMakersPages()
    {
        QFETCH(QString, name);
        QFETCH(QString, address);
        WindowUnderTest t;
        QTest::mouseClick(control(*t.window, name), Qt::LeftButton);
        QCOMPARE(t.opened, QStringList{address});
        QTest::mouseClick(control(*t.window, name), Qt::RightButton);
        QCOMPARE(t.opened.size(), 1);
    }

    void closingOpensTheHomePageAndAlwaysCloses_data()
    {
        QTest::addColumn<bool>("canOpenPages");
        QTest::newRow("with the user's browser") << true;
        QTest::newRow("without any way to open pages") << false;
    }

    void closingOpensTheHomePageAndAlwaysCloses()
    {
        QFETCH(bool, canOpenPages);
        QStringList opened;
        frmMain window(canOpenPages ? UrlOpener([&opened](const QString& address) { opened.append(address); })
                                    : UrlOpener{});
        window.showCentred();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(window.close());
        QVERIFY(!window.isVisible());
        QCOMPARE(opened,
                 canOpenPages ? QStringList{QStringLiteral("http://www.tavrel.example")} : QStringList());
    }

    void startLabelAndEnterReachTheCrawl()
    {
        // A count of letters is refused by moving the focus to the count box: proof that the
        // click and the Enter key reach the crawl's handler.
        WindowUnderTest t;
        auto* count = qobject_cast<QLineEdit*>(t("TextCount1"));
        auto* keyword = qobject_cast<QLineEdit*>(t("TextSearch1"));
        count->setText(QStringLiteral("abc"));
        keyword->setFocus();
        t.click("Label6");
        QCOMPARE(t.window->focusWidget(), count);

        keyword->setFocus();
        QTest::keyClicks(keyword, QStringLiteral("ab"));
        QCOMPARE(t.window->focusWidget(), keyword);
        QTest::keyClick(keyword, Qt::Key_Return);
        QCOMPARE(t.window->focusWidget(), count);
        QCOMPARE(keyword->text(), QStringLiteral("ab")); // typed keys are not swallowed
    }

    void topicEntryStartsItsTopic()
    {
        WindowUnderTest t;
        t.click("Image4");
        QTest::mouseClick(topicLabel(*t.window, 8), Qt::LeftButton);
        QVERIFY(!t("PictureMenu")->isVisibleTo(t.window.get()));
        QCOMPARE(t.text("TextSearch1"), QStringLiteral("热门DJ"));
        QCOMPARE(t.text("Label6"), QStringLiteral("停止搜索"));
        QCOMPARE(t.window->controller().state().SearchMode, ModeTopicList);
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
