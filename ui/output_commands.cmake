# Full screen and the display modes, copy (and its shortcut), bitmap export, printing, and their wiring into the
# main window.
list(APPEND VELQUOR_UI_SOURCES
    copy_shortcut.h copy_shortcut.cpp
    full_screen.h full_screen.cpp
    print_page.h print_page.cpp
    output_commands.h output_commands.cpp
    output_wiring.h output_wiring.cpp)
