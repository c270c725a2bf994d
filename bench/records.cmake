# Tables at 10^6 rows: a plain timing program (bench_records [DIR]), not a ctest test.
add_executable(bench_records ${CMAKE_CURRENT_LIST_DIR}/bench_records.cpp)
target_link_libraries(bench_records PRIVATE konvelo_records)
