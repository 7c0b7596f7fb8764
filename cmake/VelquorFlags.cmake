# One INTERFACE target carries the flags every Velquor target builds with.
add_library(velquor_flags INTERFACE)
target_compile_features(velquor_flags INTERFACE cxx_std_20)
target_compile_options(velquor_flags INTERFACE
    -Wall -Wextra -Wpedantic
    # Formulas are evaluated in 80-bit precision exactly as written: no fused operations.
    -ffp-contract=off
    $<$<BOOL:${VELQUOR_WERROR}>:-Werror>)
target_compile_definitions(velquor_flags INTERFACE
    QT_NO_CAST_FROM_ASCII QT_NO_CONTEXTLESS_CONNECT)

if(VELQUOR_SANITIZE)
    target_compile_options(velquor_flags INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(velquor_flags INTERFACE -fsanitize=address,undefined)
endif()
