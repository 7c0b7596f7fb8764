# What is read off the curves: the curve tracer, the analysis dialog, the value table and the
# integral dialog.
list(APPEND VELQUOR_UI_SOURCES
    analysis_dialog.h analysis_dialog.cpp
    curve_tools.h curve_tools.cpp
    integral_dialog.h integral_dialog.cpp
    value_table_dialog.h value_table_dialog.cpp)
