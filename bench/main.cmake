# The whole program on the phone simulator at 10^6 rows per journal: start-up,
# memory, idle CPU and the number-to-alert time; a plain timing program
# (bench_main [DIR]), not a ctest test.
add_executable(bench_main ${CMAKE_CURRENT_LIST_DIR}/bench_main.cpp)
target_link_libraries(bench_main PRIVATE konvelo_app Qt6::Network)
target_compile_definitions(bench_main PRIVATE KONVELO_BIN_DIR="${CMAKE_BINARY_DIR}")
add_dependencies(bench_main konvelo-phonesim)
