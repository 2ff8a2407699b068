#pragma once

namespace Platform::X11 {

// Whether a compositing manager runs for the screen of $DISPLAY (it owns the selection
// _NET_WM_CM_S<screen>). Only then are translucent windows blended with what lies behind them;
// without one their transparent pixels show as black.
bool isCompositingManagerRunning();

} // namespace Platform::X11
