// SPDX-License-Identifier: MIT
// The window is drawn in twips: 15 of them make one device-independent pixel, so the window
// keeps its proportions on high-DPI screens, where Qt scales pixels for us.
#pragma once

#include <QRect>

#include <cmath>

namespace Qorvin {

inline constexpr int TwipsPerPixel = 15;

inline constexpr float pixelsToTwips(int pixels)
{
    return float(pixels * TwipsPerPixel);
}

// A twips value like 2092.5 lands on the nearest whole pixel, halves away from zero.
inline int twipsToPixels(float twips)
{
    return int(std::lround(twips / float(TwipsPerPixel)));
}

// A design-time rectangle: Left, Top, Width and Height in twips.
inline QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(float(left)), twipsToPixels(float(top)), twipsToPixels(float(width)),
                 twipsToPixels(float(height)));
}

} // namespace Qorvin
