# gdt_load_fuzzer: arbitrary bytes through the .gdt loader (included by this folder's
# CMakeLists.txt). The document library is instrumented for coverage and the sanitizers so
# that the fuzzer sees and checks the code it drives.
if(VELQUOR_FUZZ)
    target_compile_options(velquor_document PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
    # Whatever else links the instrumented library in this build needs the runtimes too.
    target_link_options(velquor_document INTERFACE -fsanitize=address,undefined)
    add_executable(gdt_load_fuzzer gdt_load_fuzzer.cpp)
    target_compile_options(gdt_load_fuzzer PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(gdt_load_fuzzer PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(gdt_load_fuzzer PRIVATE velquor_document velquor_flags)
endif()
