# The number information window, the reminder list and the text export at 10^6
# rows per journal: a plain timing program (bench_calldetails [DIR]), not a ctest test.
add_executable(bench_calldetails ${CMAKE_CURRENT_LIST_DIR}/bench_calldetails.cpp)
target_link_libraries(bench_calldetails PRIVATE konvelo_ui)
