// SPDX-License-Identifier: MIT
// The layout that runs whenever the window's client area changes size, as a pure function over
// twips, so that it can be checked apart from the widgets it is applied to.
#pragma once

namespace Qorvin {

// What the layout reads: the client area and the sizes it never changes, all in twips.
struct ResizeInput
{
    float clientWidth = 0;
    float clientHeight = 0;
    float bannerHeight = 0;       // Image3
    float statusBarHeight = 0;    // StatusBar1, as the bar really is
    float keywordPanelWidth = 0;  // Picture1
    float keywordPanelHeight = 0; // Picture1
    float topicMenuWidth = 0;     // PictureMenu
    float returnLinkWidth = 0;    // Label7
    float forumLinkWidth = 0;     // Label9
};

// The eleven values the layout sets, in twips; Picture1 and PictureMenu in Picture2's
// coordinates, the rest in the client area's.
struct ResizeGeometry
{
    float bannerWidth = 0;       // Image3.Width
    float searchPanelHeight = 0; // Picture2.Height
    float searchPanelWidth = 0;  // Picture2.Width
    float keywordPanelLeft = 0;  // Picture1.Left
    float keywordPanelTop = 0;   // Picture1.Top
    float browserHeight = 0;     // WebBrowser1.Height
    float browserWidth = 0;      // WebBrowser1.Width
    float topicMenuLeft = 0;     // PictureMenu.Left
    float topicMenuTop = 0;      // PictureMenu.Top
    float returnLinkLeft = 0;    // Label7.Left
    float forumLinkLeft = 0;     // Label9.Left

    bool operator==(const ResizeGeometry&) const = default;
};

// The design-time values, before the window is first laid out.
ResizeGeometry designResizeGeometry();

// Runs the eleven steps in their order on single-precision values, each from the values as the
// steps before it left them. A step whose result is not a finite number, lies beyond what a
// widget can take, or is a negative width or height is skipped: its value stays as in current.
ResizeGeometry layOutOnResize(const ResizeInput& input, const ResizeGeometry& current);

} // namespace Qorvin
