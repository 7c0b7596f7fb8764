# Redraws of a reference document on a full-HD QImage surface, with the shares of evaluation
# and drawing. Needs the Qt parts.
if(VELQUOR_GUI)
    list(APPEND VELQUOR_BENCH_SOURCES render_bench.cpp high_dpi_bench.cpp)
    list(APPEND VELQUOR_BENCH_LIBRARIES velquor_platform velquor_render velquor_document)
endif()
