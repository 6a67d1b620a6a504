// SPDX-License-Identifier: MIT
// How the web view's pages reach the screen. The pages are plain HTML; compositing them on a GPU
// buys nothing, and without one (a virtual machine, a remote desktop, Xvfb) the OpenGL path is a
// software rasterizer that redraws the whole window at every repaint of any control.
#pragma once

namespace Qorvin {

// Draws the web view with Qt Quick's software renderer, so the window stays a plain raster
// window. Call before the application object exists. QT_QUICK_BACKEND, when set, still decides.
void useSoftwareRendering();

} // namespace Qorvin
