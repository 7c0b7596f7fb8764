# The main window, its graph list, the graph-settings dialog, the about box and the
# application object with the dialogs of the running program.
list(APPEND VELQUOR_UI_SOURCES
    conversions.h
    error_box.h error_box.cpp
    graph_list.h graph_list.cpp
    input_dlg.h input_dlg.cpp
    main_form.h main_form.cpp main_form_files.cpp main_form_layout.cpp
    main_form_navigation.cpp
    pictures.h pictures.cpp
    qt_dialog_service.h qt_dialog_service.cpp
    splitter_bar.h splitter_bar.cpp
    up_down_buttons.h up_down_buttons.cpp
    velquor_application.h velquor_application.cpp
    version_dlg.h version_dlg.cpp)
