# The alert's ShowCaller at 10^6 rows per journal: a plain timing program
# (bench_alert [DIR]), not a ctest test.
add_executable(bench_alert ${CMAKE_CURRENT_LIST_DIR}/bench_alert.cpp)
target_link_libraries(bench_alert PRIVATE konvelo_ui)
