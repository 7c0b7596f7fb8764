# Print page and preview (with the plot canvas on any painter, which the page and the vector
# pictures draw with), clipboard, the emulated display modes and the full-screen view
# (which asks the X server through xcb whether a window manager places it).
list(APPEND VELQUOR_PLATFORM_SOURCES
    print_engine.h print_engine.cpp
    painter_canvas.h painter_canvas.cpp
    clipboard.h clipboard.cpp
    display_modes.h display_modes.cpp
    emulated_display.h emulated_display.cpp
    window_manager.h window_manager.cpp)
