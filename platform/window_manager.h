#pragma once

namespace velquor {

// Whether something places a window that asks to be full screen: true on every platform but
// X11, and on X11 while a window manager runs that announces full-screen support (the EWMH
// properties of the root window, checked on each call). On a bare X server a window that asks
// for full screen stays where it is, at its size, and must cover the screen by itself.
bool windowManagerPlacesFullScreenWindows();

} // namespace velquor
