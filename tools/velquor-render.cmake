# velquor-render: a document drawn headless to a picture and an operation trace.
add_executable(velquor-render velquor-render.cpp)
target_link_libraries(velquor-render PRIVATE velquor_output velquor_render velquor_document
    velquor_flags)
