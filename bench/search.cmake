# Search, the sixteen statistics groupings and the charts over two 10^6-row
# journals: a plain timing program (bench_search [DIR]), not a ctest test.
add_executable(bench_search ${CMAKE_CURRENT_LIST_DIR}/bench_search.cpp)
target_link_libraries(bench_search PRIVATE konvelo_search)
# The listings at 10^6 rows (search window, konvelo-cli against sqlite3 -json,
# statistics, export): bench_listing [--dir DIR] [--cli PATH]..., not a ctest test.
add_executable(bench_listing ${CMAKE_CURRENT_LIST_DIR}/bench_listing.cpp)
target_link_libraries(bench_listing PRIVATE konvelo_ui)
target_compile_definitions(bench_listing PRIVATE KONVELO_BIN_DIR="${CMAKE_BINARY_DIR}")
