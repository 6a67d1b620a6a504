// SPDX-License-Identifier: MIT
#include "app/window/resizelayout.h"

#include <QWidget>

#include <cmath>

namespace Qorvin {

namespace {

// Beyond this a widget cannot be placed or sized (QWIDGETSIZE_MAX pixels of 15 twips).
constexpr float LargestTwips = float(QWIDGETSIZE_MAX) * 15.0f;
constexpr float Margin = 100.0f;
constexpr float Halves = 2.0f;

enum class Measure
{
    Position,
    Size
};

void assign(float& target, float value, Measure measure)
{
    if (!std::isfinite(value) || std::fabs(value) > LargestTwips)
        return;
    if (measure == Measure::Size && value < 0.0f)
        return;
    target = value;
}

} // namespace

ResizeGeometry designResizeGeometry()
{
    ResizeGeometry g;
    g.bannerWidth = 14985.0f;
    g.searchPanelHeight = 5535.0f;
    g.searchPanelWidth = 9255.0f;
    g.keywordPanelLeft = 1680.0f;
    g.keywordPanelTop = 1200.0f;
    g.browserHeight = 1575.0f;
    g.browserWidth = 3975.0f;
    g.topicMenuLeft = 1680.0f;
    g.topicMenuTop = 1320.0f;
    g.returnLinkLeft = 13200.0f;
    g.forumLinkLeft = 11400.0f;
    return g;
}

ResizeGeometry layOutOnResize(const ResizeInput& in, const ResizeGeometry& current)
{
    ResizeGeometry g = current;
    const float w = in.clientWidth;
    const float h = in.clientHeight;

    assign(g.bannerWidth, w, Measure::Size);
    assign(g.searchPanelHeight, h - in.bannerHeight - in.statusBarHeight, Measure::Size);
    assign(g.searchPanelWidth, g.bannerWidth, Measure::Size);
    assign(g.keywordPanelLeft, w / Halves - in.keywordPanelWidth / Halves, Measure::Position);
    // The top does not follow the window's height: it depends on the banner, the panel and the
    // status bar only.
    assign(g.keywordPanelTop, in.keywordPanelHeight / Halves + in.bannerHeight - in.statusBarHeight,
           Measure::Position);
    assign(g.browserHeight, g.searchPanelHeight, Measure::Size);
    assign(g.browserWidth, g.bannerWidth, Measure::Size);
    assign(g.topicMenuLeft, g.keywordPanelLeft + in.keywordPanelWidth - in.topicMenuWidth - Margin,
           Measure::Position);
    assign(g.topicMenuTop, g.keywordPanelTop + Margin, Measure::Position);
    assign(g.returnLinkLeft, w - in.returnLinkWidth - Margin, Measure::Position);
    assign(g.forumLinkLeft, g.returnLinkLeft - in.forumLinkWidth - Margin, Measure::Position);
    return g;
}

} // namespace Qorvin
