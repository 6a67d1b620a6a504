// SPDX-License-Identifier: MIT
#include "app/window/resizelayout.h"

#include <QTest>

#include <limits>

using namespace Qorvin;

namespace {

// The design sizes the layout reads, at a given client area.
ResizeInput designInput(float width, float height)
{
    ResizeInput in;
    in.clientWidth = width;
    in.clientHeight = height;
    in.bannerHeight = 840;
    in.statusBarHeight = 375;
    in.keywordPanelWidth = 6855;
    in.keywordPanelHeight = 3855;
    in.topicMenuWidth = 3135;
    in.returnLinkWidth = 1215;
    in.forumLinkWidth = 1455;
    return in;
}

ResizeGeometry workedExample()
{
    ResizeGeometry g;
    g.bannerWidth = 11040;
    g.searchPanelHeight = 7845;
    g.searchPanelWidth = 11040;
    g.keywordPanelLeft = 2092.5f;
    g.keywordPanelTop = 2392.5f;
    g.browserHeight = 7845;
    g.browserWidth = 11040;
    g.topicMenuLeft = 5712.5f;
    g.topicMenuTop = 2492.5f;
    g.returnLinkLeft = 9725;
    g.forumLinkLeft = 8170;
    return g;
}

} // namespace

class TestResizeLayout : public QObject
{
    Q_OBJECT

private slots:
    void growsWithTheClientArea_data()
    {
        QTest::addColumn<float>("wider");
        QTest::addColumn<float>("higher");
        QTest::newRow("design size") << 0.0f << 0.0f;
        QTest::newRow("wider by 1000") << 1000.0f << 0.0f;
        QTest::newRow("higher by 1000") << 0.0f << 1000.0f;
    }

    void growsWithTheClientArea()
    {
        QFETCH(float, wider);
        QFETCH(float, higher);
        // Full widths and right-hand links follow the width, centred panels half of it; only
        // the panel and the browser follow the height.
        ResizeGeometry expected = workedExample();
        expected.bannerWidth += wider;
        expected.searchPanelWidth += wider;
        expected.browserWidth += wider;
        expected.keywordPanelLeft += wider / 2;
        expected.topicMenuLeft += wider / 2;
        expected.returnLinkLeft += wider;
        expected.forumLinkLeft += wider;
        expected.searchPanelHeight += higher;
        expected.browserHeight += higher;
        QCOMPARE(layOutOnResize(designInput(11040 + wider, 9060 + higher), designResizeGeometry()), expected);
    }

    void tooSmallSkipsTheHeightsAndGoesNegative()
    {
        // Lower than the banner and the status bar together: the panel and the browser keep
        // their heights, every other step still runs. Narrower than the keyword panel: its Left
        // goes below zero and the menu follows it.
        const ResizeGeometry before = workedExample();
        const ResizeGeometry after = layOutOnResize(designInput(3000, 1000), before);
        QCOMPARE(after.searchPanelHeight, before.searchPanelHeight);
        QCOMPARE(after.browserHeight, before.browserHeight);
        QCOMPARE(after.bannerWidth, 3000.0f);
        QCOMPARE(after.returnLinkLeft, 3000.0f - 1215 - 100);
        QCOMPARE(after.keywordPanelLeft, 1500.0f - 3427.5f);
        QCOMPARE(after.topicMenuLeft, -1927.5f + 6855 - 3135 - 100);
        QCOMPARE(after.forumLinkLeft, 3000.0f - 1215 - 100 - 1455 - 100);
    }

    void halfTwipsWhenOneWidthIsOdd_data()
    {
        QTest::addColumn<float>("clientWidth");
        QTest::addColumn<float>("keywordPanelWidth");
        QTest::addColumn<float>("left");
        QTest::newRow("odd panel") << 11040.0f << 6855.0f << 2092.5f;
        QTest::newRow("odd client") << 11041.0f << 6856.0f << 2092.5f;
        QTest::newRow("both odd") << 11041.0f << 6855.0f << 2093.0f;
        QTest::newRow("both even") << 11040.0f << 6856.0f << 2092.0f;
    }

    void halfTwipsWhenOneWidthIsOdd()
    {
        QFETCH(float, clientWidth);
        QFETCH(float, keywordPanelWidth);
        QFETCH(float, left);
        ResizeInput in = designInput(clientWidth, 9060);
        in.keywordPanelWidth = keywordPanelWidth;
        QCOMPARE(layOutOnResize(in, designResizeGeometry()).keywordPanelLeft, left);
    }

    void invalidArithmeticSkipsOnlyItsSteps()
    {
        const float inf = std::numeric_limits<float>::infinity();
        ResizeInput in = designInput(11040, 9060);
        in.statusBarHeight = inf; // steps 2 and 5 fail; 6 copies the unchanged height
        const ResizeGeometry before = designResizeGeometry();
        const ResizeGeometry after = layOutOnResize(in, before);
        QCOMPARE(after.searchPanelHeight, before.searchPanelHeight);
        QCOMPARE(after.keywordPanelTop, before.keywordPanelTop);
        QCOMPARE(after.browserHeight, before.searchPanelHeight);
        QCOMPARE(after.topicMenuTop, before.keywordPanelTop + 100);
        QCOMPARE(after.keywordPanelLeft, 2092.5f);
    }
};

QTEST_GUILESS_MAIN(TestResizeLayout)
#include "tst_resizelayout.moc"
