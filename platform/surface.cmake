# The plot's back surface on a QImage, its rasterizer and font, the plot widget, the keys.
list(APPEND VELQUOR_PLATFORM_SOURCES
    line_rasterizer.h line_rasterizer.cpp
    plot_font.h plot_font.cpp
    qimage_canvas.h qimage_canvas.cpp
    qimage_surface.h qimage_surface.cpp
    plot_widget.h plot_widget.cpp
    key_state.h key_state.cpp)
