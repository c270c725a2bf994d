# The number rules: from a caller's number to the hang-up on the wire, a plain
# timing program (bench_rules [ROUNDS]), not a ctest test.
add_executable(bench_rules ${CMAKE_CURRENT_LIST_DIR}/bench_rules.cpp)
target_link_libraries(bench_rules PRIVATE konvelo_app util)
target_include_directories(bench_rules PRIVATE ${CMAKE_SOURCE_DIR}/tests)
