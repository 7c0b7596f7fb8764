# The main window, its graph list, the graph-settings dialog, the about box and the
# application object with the dialogs of the running program.
list(APPEND VELQUOR_UI_SOURCES
    about_box.h about_box.cpp
    conversions.h
    error_box.h error_box.cpp
    graph_dialog.h graph_dialog.cpp
    graph_list.h graph_list.cpp
    main_window.h main_window.cpp main_window_files.cpp main_window_layout.cpp
    main_window_navigation.cpp main_window_history.cpp
    undo_commands.h undo_commands.cpp
    pictures.h pictures.cpp
    qt_dialog_service.h qt_dialog_service.cpp
    splitter_bar.h splitter_bar.cpp
    up_down_buttons.h up_down_buttons.cpp
    velquor_application.h velquor_application.cpp)
