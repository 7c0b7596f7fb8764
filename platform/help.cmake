# The help window. The source tree's help folder is the fallback when the program runs
# from its build directory rather than from an installation.
list(APPEND VELQUOR_PLATFORM_SOURCES help_viewer.h help_viewer.cpp)
set_property(SOURCE help_viewer.cpp APPEND PROPERTY COMPILE_DEFINITIONS
    VELQUOR_SOURCE_HELP_DIR="${PROJECT_SOURCE_DIR}/docs/help")
