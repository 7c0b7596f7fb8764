# InputTextDialog, the constants panel, the settings panel and the stored positions and
# constant sets.
list(APPEND VELQUOR_UI_SOURCES
    input_text_dialog.h input_text_dialog.cpp
    constants_panel.h constants_panel.cpp
    settings_panel.h settings_panel.cpp
    stored_items.h stored_items.cpp)
