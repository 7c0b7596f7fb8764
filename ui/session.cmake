# What the main window keeps beyond the document file: the recovery copy and its offer at
# start, and the recently used files.
list(APPEND VELQUOR_UI_SOURCES
    main_window_session.cpp
    recent_files.h recent_files.cpp
    recovery_controller.h recovery_controller.cpp)
