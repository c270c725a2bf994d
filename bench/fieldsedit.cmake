# The information-fields editor's LoadCall at 10^6 rows per journal: a plain
# timing program (bench_fieldsedit [DIR]), not a ctest test.
add_executable(bench_fieldsedit ${CMAKE_CURRENT_LIST_DIR}/bench_fieldsedit.cpp)
target_link_libraries(bench_fieldsedit PRIVATE konvelo_ui)
