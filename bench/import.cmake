# The address import: a plain timing program (bench_import [DIR]).
add_executable(bench_import ${CMAKE_CURRENT_LIST_DIR}/bench_import.cpp)
target_link_libraries(bench_import PRIVATE konvelo_import konvelo_records)
