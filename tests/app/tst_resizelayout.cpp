// SPDX-License-Identifier: MIT
#include "resizelayout.h"

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
    void workedExampleAtDesignSize()
    {
        QCOMPARE(layOutOnResize(designInput(11040, 9060), designResizeGeometry()), workedExample());
    }

    void widerByThousand()
    {
        ResizeGeometry expected = workedExample();
        expected.bannerWidth += 1000;
        expected.searchPanelWidth += 1000;
        expected.browserWidth += 1000;
        expected.keywordPanelLeft += 500;
        expected.topicMenuLeft += 500;
        expected.returnLinkLeft += 1000;
        expected.forumLinkLeft += 1000;
        QCOMPARE(layOutOnResize(designInput(12040, 9060), workedExample()), expected);
    }

    void higherByThousand()
    {
        ResizeGeometry expected = workedExample();
        expected.searchPanelHeight += 1000;
        expected.browserHeight += 1000;
        QCOMPARE(layOutOnResize(designInput(11040, 10060), workedExample()), expected);
    }

    void negativeSearchPanelHeightIsSkipped()
    {
        // Lower than the banner and the status bar together: the panel and the browser keep
        // their heights, every other step still runs.
        const ResizeGeometry before = workedExample();
        const ResizeGeometry after = layOutOnResize(designInput(3000, 1000), before);
        QCOMPARE(after.searchPanelHeight, before.searchPanelHeight);
        QCOMPARE(after.browserHeight, before.browserHeight);
        QCOMPARE(after.bannerWidth, 3000.0f);
        QCOMPARE(after.returnLinkLeft, 3000.0f - 1215 - 100);
    }

    void negativePositionsAreApplied()
    {
        // Narrower than the keyword panel: its Left goes below zero and the menu follows it.
        const ResizeGeometry after = layOutOnResize(designInput(3000, 9060), workedExample());
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
