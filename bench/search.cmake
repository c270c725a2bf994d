# Search, the sixteen statistics groupings and the charts over two 10^6-row
# journals: a plain timing program (bench_search [DIR]), not a ctest test.
add_executable(bench_search ${CMAKE_CURRENT_LIST_DIR}/bench_search.cpp)
target_link_libraries(bench_search PRIVATE konvelo_search)
