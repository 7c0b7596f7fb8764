# What is read off the curves: the curve tracer and its status-bar field, the analysis dialog,
# the value table and the integral dialog.
list(APPEND VELQUOR_UI_SOURCES
    analysis_dialog.h analysis_dialog.cpp
    curve_tools.h curve_tools.cpp
    integral_dialog.h integral_dialog.cpp
    tracer_field.h tracer_field.cpp
    value_table_dialog.h value_table_dialog.cpp)
