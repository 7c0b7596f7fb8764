# velquor-eval: evaluates formulas from the command line or from a batch on standard input.
add_executable(velquor-eval velquor-eval.cpp)
target_link_libraries(velquor-eval PRIVATE velquor_calc velquor_flags)
