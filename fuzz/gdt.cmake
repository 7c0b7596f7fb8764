# gdt_load_fuzzer: arbitrary bytes through the .gdt loader. Included by this folder's
# CMakeLists.txt, which sets the fuzzing flags (clang only).
if(VELQUOR_FUZZ)
    # The document library is instrumented too, so that the fuzzer steers by its coverage.
    target_compile_options(velquor_document PRIVATE ${VELQUOR_FUZZ_LIBRARY_FLAGS})
    # Whatever else links the instrumented library in this build needs the runtimes too.
    target_link_options(velquor_document INTERFACE -fsanitize=address,undefined)

    add_executable(gdt_load_fuzzer gdt_load_fuzzer.cpp)
    target_compile_options(gdt_load_fuzzer PRIVATE ${VELQUOR_FUZZ_FLAGS})
    target_link_options(gdt_load_fuzzer PRIVATE ${VELQUOR_FUZZ_FLAGS})
    target_link_libraries(gdt_load_fuzzer PRIVATE velquor_document velquor_flags)
endif()
