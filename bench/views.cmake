# The main window's journal grid at 10^6 incoming rows: title clicks and scrolling,
# a plain timing program (bench_views [DIR]), not a ctest test.
add_executable(bench_views ${CMAKE_CURRENT_LIST_DIR}/bench_views.cpp)
target_link_libraries(bench_views PRIVATE konvelo_app)
