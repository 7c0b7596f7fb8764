# Full screen and the display modes, copy, bitmap export, printing, and their wiring into the
# main window.
list(APPEND VELQUOR_UI_SOURCES
    full_screen.h full_screen.cpp
    print_page.h print_page.cpp
    output_commands.h output_commands.cpp
    output_wiring.h output_wiring.cpp)
